#include "number_picture.h"
#include "rounding.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

constexpr double Inf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(NumberPicture, FormatsEveryPictureTheProgramUses)
{
    struct Case {
        const char* picture;
        double value;
        const char* text;
    };
    const Case cases[] = {
        // six decimals in two groups
        {"0.000 000", 1.2345678, "1.234 568"},
        {"0.000 000", 0.0, "0.000 000"},
        {"0.000 000", 0.012345, "0.012 345"},
        {"0.000 000", 1234.5, "1234.500 000"},
        {"0.000 000", -0.0123454, "-0.012 345"},
        {"0.000 000", 0.9999996, "1.000 000"},
        // whole numbers of at least seven digits
        {"0 000 000", 150.0, "0 000 150"},
        {"0 000 000", 999999.5, "1 000 000"},
        {"0 000 000", 12345678.0, "12 345 678"},
        {"0 000 000", -150.0, "-0 000 150"},
        {"0 000 000", 0.4, "0 000 000"},
        // one and three decimals
        {"0.0", 120.16, "120.2"},
        {"0.0", 0.25, "0.3"},  // exact half: away from zero
        {"0.0", -0.25, "-0.3"},
        {"0.0", 0.35, "0.3"},  // the double just below 0.35
        {"0.0", 600.87, "600.9"},
        {"0.000", 3.6281, "3.628"},
        {"0.000", 0.0625, "0.063"},
        // nine decimals in three groups
        {"0.000 000 000", 0.00012017, "0.000 120 170"},
        {"0.000 000 000", 0.9999998454, "0.999 999 845"},
        {"0.000 000 000", 2.0, "2.000 000 000"},
        // whole numbers
        {"0", 2.5, "3"},
        {"0", 3.5, "4"},
        {"0", -2.5, "-3"},
        {"0", 30174.08, "30174"},
        {"0", 0.49999999999999994, "0"},
        {"0", 86.85, "87"},
        {"0", 0.0, "0"},
        // values that are not numbers
        {"0.000 000", std::nan(""), "NAN"},
        {"0.000 000", Inf, "INF"},
        {"0 000 000", -Inf, "-INF"},
        {"0", Inf, "INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " / " + std::to_string(c.value));
        EXPECT_EQ(FormatFloat(QString::fromLatin1(c.picture), c.value), QString::fromLatin1(c.text));
    }
}

TEST(NumberPicture, NegativeValuesThatRoundToZeroLoseTheirSign)
{
    EXPECT_EQ(FormatFloat("0.000 000", -0.0000001), "0.000 000");
    EXPECT_EQ(FormatFloat("0 000 000", -0.4), "0 000 000");
    EXPECT_EQ(FormatFloat("0", -0.0), "0");
    EXPECT_EQ(FormatFloat("0.0", -0.05), "-0.1");
}

TEST(NumberPicture, UsesTheLocaleDecimalSeparator)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFloat("0.000 000", 1.2345678), "1,234 568");
    EXPECT_EQ(FormatFloat("0.000 000 000", 0.00012017), "0,000 120 170");
    EXPECT_EQ(FormatFloat("0.0", -600.87), "-600,9");
    EXPECT_EQ(FormatFloat("0 000 000", 150.0), "0 000 150") << "no separator, no grouping";
}

TEST(NumberPicture, AppendsBytesWithTheGivenSeparator)
{
    const TNumberPicture picture("0.000 000");
    std::string out = "x=";
    picture.AppendTo(out, 0.5, ",");
    picture.AppendTo(out, -2.0000004, "\xc2\xb7");
    EXPECT_EQ(out,
              "x=0,500 000-2\xc2\xb7"
              "000 000");
    EXPECT_EQ(picture.Decimals(), 6);
}

TEST(NumberPicture, ExtendedValuesRoundOnTheirOwnDigits)
{
    // 0.1L and 0.1 differ far below the printed digits; both read 0.100.
    EXPECT_EQ(FormatFloat("0.000", 0.1L), "0.100");
    // Just below a half: a long double holds the difference, a double would
    // round it to 2.5 and print 3.
    const long double belowHalf = 2.5L - std::ldexp(1.0L, -60);
    EXPECT_EQ(FormatFloat("0", belowHalf), "2");
    EXPECT_EQ(FormatFloat("0", 2.5L), "3");
    EXPECT_EQ(FormatFloat("0.000 000", 0.000120170f), "0.000 120");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    struct Case {
        long double in;
        long double out;
    };
    const Case cases[]
        = {{2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {30174.08L, 30174}, {86.85L, 87}, {0.5L, 0}, {1.5L, 2}, {2.5000001L, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << static_cast<double>(c.in);
}
