#include "general_format.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <limits>

namespace {

// Switches the process locale for one test and restores it afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

}  // namespace

TEST(GeneralFormat, ChoosesFixedOrScientificAndDropsTrailingZeros)
{
    struct Case {
        long double v;
        int p;
        int d;
        const char* text;
    };
    const Case cases[] = {
        {0.0311302L, 15, 0, "0.0311302"},
        {0.00005L, 15, 0, "5E-5"},
        {1.5e20L, 15, 0, "1.5E20"},
        {0.0L, 15, 0, "0"},
        {-0.0L, 15, 0, "0"},
        {-2.5L, 15, 0, "-2.5"},
        {100.0L, 15, 0, "100"},
        {0.0001L, 15, 0, "0.0001"},
        {0.00009999L, 15, 0, "9.999E-5"},
        {999999999999999.0L, 15, 0, "999999999999999"},
        {1e15L, 15, 0, "1E15"},
        {123456789012345678.0L, 15, 0, "1.23456789012346E17"},
        {-1.5e-7L, 15, 0, "-1.5E-7"},
        {1.0L / 3.0L, 15, 0, "0.333333333333333"},
        {2.0L / 3.0L, 15, 0, "0.666666666666667"},
        // rounding carries into a new leading digit
        {9.9999L, 2, 0, "10"},
        {99.96L, 3, 0, "100"},
        {999.96L, 3, 0, "1E3"},
        // ties round away from zero
        {0.125L, 2, 0, "0.13"},
        {-0.125L, 2, 0, "-0.13"},
        // precision is held between 2 and 18
        {1.0L / 3.0L, 1, 0, "0.33"},
        {1.0L / 3.0L, 40, 0, "0.333333333333333333"},
        {123.0L, 1, 0, "1.2E2"},
        // least exponent digits; above 4 counts as none
        {0.00005L, 15, 2, "5E-05"},
        {0.00005L, 15, 3, "5E-005"},
        {1.5e20L, 15, 4, "1.5E0020"},
        {0.00005L, 15, 5, "5E-5"},
        {std::numeric_limits<long double>::quiet_NaN(), 15, 0, "NAN"},
        {std::numeric_limits<long double>::infinity(), 15, 0, "INF"},
        {-std::numeric_limits<long double>::infinity(), 15, 0, "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GeneralFormat(c.v, c.p, c.d), QString::fromLatin1(c.text));
    }
}

TEST(GeneralFormat, UsesTheLocaleDecimalSeparator)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(GeneralFormat(1234.5L, 15, 0), "1234,5");
    EXPECT_EQ(GeneralFormat(1.5e20L, 15, 0), "1,5E20");
    EXPECT_EQ(GeneralFormat(0.0311302L, 15, 0), "0,0311302");
    EXPECT_EQ(GeneralFormat(1e6L, 15, 0), "1000000") << "no digit grouping";
}
