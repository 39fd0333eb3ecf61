#include "date_time_text.h"
#include "edit_fixture.h"
#include "locale_formats.h"
#include "number_picture.h"
#include "number_text.h"
#include "time_span_text.h"
#include "time_units.h"

#include <optional>

namespace {

constexpr double Second = 1.0 / SecondsPerDay;

}  // namespace

TEST(NumberText, IntegerConversionTakesOnlyPlainDecimalIntegers)
{
    struct Case {
        QString text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"150", 150},
        {"007", 7},
        {"  -42", -42},
        {"+3", 3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1-2", std::nullopt},
        {"12 ", std::nullopt},
        {"0x10", std::nullopt},
        {"1.0", std::nullopt},
        {QString::fromUtf8("\u0661\u0662"), std::nullopt},  // Arabic-Indic digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(IntegerFromText(c.text), c.value);
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(NumberText, FloatConversionFollowsTheLocaleDecimalSeparator)
{
    struct Case {
        QString text;
        std::optional<double> point;  // with "." as separator
        std::optional<double> comma;  // with "," as separator
    };
    const Case cases[] = {
        {"1e3", 1000.0, 1000.0},
        {"1e", std::nullopt, std::nullopt},
        {"2.5", 2.5, std::nullopt},
        {"2,5", std::nullopt, 2.5},
        {"-0.25E-2", -0.0025, std::nullopt},
        {" +7 ", 7.0, 7.0},
        {".5", 0.5, std::nullopt},
        {"5.", 5.0, std::nullopt},
        {".", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"1e400", std::nullopt, std::nullopt},
        {"1,000.5", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(FloatFromText(c.text), c.point);
        LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(FloatFromText(c.text), c.comma);
    }
}

TEST(NumberText, RealToStrDigitsShortensUntilTheTextFits)
{
    const double v = 1 / 32.123;
    struct Case {
        int digits;
        const char* text;
    };
    const Case cases[] = {
        {0, "0.0311303427450736"},
        {18, "0.0311303427450736"},
        {17, "0.031130342745074"},
        {10, "0.03113034"},
        {8, "0.03113"},
        {7, "0.03113"},
        {5, "0.031"},
        {2, "0.031"},  // never below two significant digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digits);
        EXPECT_EQ(RealToStrDigits(v, c.digits), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(RealToStrDigits(123456789.0, 6), "1.23E8");
    EXPECT_EQ(RealToStrDigits(0.5, 5), "0.5");
    EXPECT_EQ(RealToStrDigits(0.00005, 4), "5E-5");
    EXPECT_EQ(RealToStrDigits(1.5e20, 5), "1.5E20") << "may stay longer than asked";
}

TEST(NumberText, PicturesPlaceDigitsAndKeepLiterals)
{
    struct Case {
        double v;
        const char* picture;
        const char* text;
    };
    const Case cases[] = {
        {1.2345678, "0.000 000", "1.234 568"},
        {150, "0 000 000", "0 000 150"},
        {12345678, "0 000 000", "12 345 678"},
        {-2.5, "0.00", "-2.50"},
        {-0.001, "0.00", "0.00"},
        {0.999, "0.00", "1.00"},
        {7, "0", "7"},
        {12.5, "$.00", "$12.50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(FormatFloat(QString::fromLatin1(c.picture), c.v), QString::fromLatin1(c.text));
    }
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFloat("0.000 000", 1.2345678), "1,234 568");
}

TEST(TimeSpanText, DurationsPrintAsDaysAndTimeOfDay)
{
    struct Case {
        double days;
        const char* text;
    };
    const Case cases[] = {
        {1.5, "1.12:00:00.000"},
        {0.25, "06:00:00.000"},
        {2.0, "2."},
        {0.0, ""},
        {1.5 * Second, "00:00:01.500"},
        {3 + (3600 + 2 * 60 + 3.004) * Second, "3.01:02:03.004"},
        {1.0 - 0.0001 * Second, "1.00:00:00.000"},  // rounds up into the next day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DoubleToTimeSpanStr(c.days), QString::fromLatin1(c.text));
    }
    try {
        DoubleToTimeSpanStr(-Second);
        ADD_FAILURE() << "a negative time span must fail";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Error no negative Time Span allowed");
    }
}

TEST(TimeSpanText, TypedDurationsReadFromTheRight)
{
    struct Case {
        QString text;
        std::optional<double> days;
    };
    const Case cases[] = {
        {"1.12:00:00.000", 1.5},
        {"1.5", 1 + 5 * Second},
        {"0:1.5", 1.5 * Second},
        {"90", 90 * Second},
        {"2:30", 150 * Second},
        {"1:2:3", 3723 * Second},
        {"2.", 2.0},
        {"", 0.0},
        {"1:2:3:4", std::nullopt},
        {"1:", std::nullopt},
        {".5", std::nullopt},
        {"x", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        std::optional<double> got;
        try {
            got = DoubleFomTimeSpanStr(c.text);
        } catch (const EConvertError&) {
        }
        ASSERT_EQ(got.has_value(), c.days.has_value());
        if (got) {
            EXPECT_NEAR(*got, *c.days, 1e-12);
        }
    }
    EXPECT_EQ(LastPos(':', "1:2:3"), 4);
    EXPECT_EQ(LastPos(':', "123"), -1);
    EXPECT_TRUE(CharIn('M', "PM"));
    EXPECT_FALSE(CharIn('X', "PM"));
}

TEST(TimeSpanText, CommaLocaleSeparatesMillisecondsWithAComma)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DoubleToTimeSpanStr(1.5 + 0.25 * Second), "1.12:00:00,250");
    EXPECT_NEAR(DoubleFomTimeSpanStr("0:1,5"), 1.5 * Second, 1e-12);
    EXPECT_NEAR(DoubleFomTimeSpanStr("1.12:00:00,250"), 1.5 + 0.25 * Second, 1e-12);
}

TEST(LocaleFormats, SeparatorsComeFromTheProcessLocale)
{
    struct Case {
        QLocale locale;
        const char* decimal;
        char time;
        char date;
    };
    const Case cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), ".", ':', '/'},
        {QLocale(QLocale::German, QLocale::Germany), ",", ':', '.'},
        {QLocale(QLocale::Finnish, QLocale::Finland), ",", '.', '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        LocaleScope scope(c.locale);
        const TFormatSettings fs = CurrentFormatSettings();
        EXPECT_EQ(fs.DecimalSeparator, QString::fromLatin1(c.decimal));
        EXPECT_EQ(fs.TimeSeparator, QLatin1Char(c.time));
        EXPECT_EQ(fs.DateSeparator, QLatin1Char(c.date));
        EXPECT_TRUE(fs.ShortDateFormat.contains("yyyy"));
        EXPECT_FALSE(fs.LongTimeFormat.contains('t')) << fs.LongTimeFormat.toStdString();
    }
}

TEST(DateTimeText, DayCountsRoundTripThroughTheLocaleText)
{
    struct Case {
        double days;
        const char* text;  // en_US
    };
    const Case cases[] = {
        {46365.5, "12/9/2026 12:00:00 PM"}, {46365.0, "12/9/2026"},    {0.0, "12/30/1899"},
        {-1.25, "12/29/1899 6:00:00 AM"},   {MinDateTime, "1/1/0001"}, {MaxDateTime, "12/31/9999 11:59:59 PM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateTimeText(c.days), QString::fromLatin1(c.text));
        EXPECT_NEAR(DateTimeFromText(QString::fromLatin1(c.text)), c.days, 1e-6);
    }
    EXPECT_THROW(DateTimeText(MinDateTime - 1), EConvertError);
    EXPECT_THROW(DateTimeText(MaxDateTime + 1), EConvertError);
    EXPECT_THROW(DateTimeFromText("13/45/2020"), EConvertError);
}
