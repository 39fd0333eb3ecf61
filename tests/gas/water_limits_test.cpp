#include "compounds.h"
#include "water_limits.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(WaterLimits, HoldsTheRequestBetweenItsLimits)
{
    const double p25 = 0.0312733;  // bubbler at 25 degrees C
    struct Case {
        const char* what;
        std::int32_t a, w;
        double p;
        std::int32_t W, B;
        QStringList messages;
    };
    const Case cases[] = {
        {"no water", 150, 0, p25, 0, 999850, {}},
        {"within both limits", 150, 20000, p25, 20000, 979850, {}},
        {"above the upper limit", 150, 35000, p25, 30174, 969676, {"Maximum possible H2O fraction is 30174"}},
        {"below the lower limit", 150, 50, p25, 87, 999763, {"Minimum water content is 87 ppm"}},
        {"at the rounded lower limit", 150, 87, p25, 87, 999763, {}},
        {"no vapour pressure reading", 150, 500, 0.0, 0, 999850, {"Maximum possible H2O fraction is 0"}},
        {"gas A leaves no room", 1000000, 100, p25, 0, 0, {"Maximum possible H2O fraction is 0"}},
        {"gas A and water fill the mixture", 970000, 30000, p25, 0, 30000, {"Maximum possible H2O fraction is 0"}},
        {"gas A and water exceed the mixture", 990000, 35000, p25, 0, 10000, {"Maximum possible H2O fraction is 0"}},
        {"small gas B caps the water", 990000, 1000, p25, 281, 9719, {"Maximum possible H2O fraction is 281"}},
        {"negative pressure counts as none", 150, 500, -0.004, 0, 999850, {"Maximum possible H2O fraction is 0"}},
        {"NaN pressure counts as none", 150, 500, std::nan(""), 0, 999850, {"Maximum possible H2O fraction is 0"}},
        {"infinite pressure counts as none",
         150,
         500,
         std::numeric_limits<double>::infinity(),
         0,
         999850,
         {"Maximum possible H2O fraction is 0"}},
        // Above 1 atm the minimum would leave the 32-bit range: counts as 1.
        {"boiling pressure counts as 1 atm", 150, 500, 1e10, 2776, 997074, {"Minimum water content is 2776 ppm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TWaterLimits r = ApplyWaterLimits(c.a, c.w, c.p);
        EXPECT_EQ(r.W, c.W);
        EXPECT_EQ(r.B, c.B);
        EXPECT_EQ(r.Messages, c.messages);
        EXPECT_EQ(r.W + r.B + c.a, 1000000);
    }
}

TEST(WaterLimits, TheBubblerAt25DegreesGivesTheSameLimits)
{
    const double p = GetH2OPressureATM(25.0f);
    const TWaterLimits upper = ApplyWaterLimits(150, 35000, p);
    EXPECT_EQ(upper.W, 30174);
    EXPECT_EQ(upper.B, 969676);
    const TWaterLimits lower = ApplyWaterLimits(150, 50, p);
    EXPECT_EQ(lower.W, 87);
    EXPECT_EQ(lower.B, 999763);
}

TEST(WaterLimits, ACorrectedValueTakesTheEvenNeighbourOfAHalf)
{
    // b = 998280, t = 998280 * 0.5 / 360 = 1386.5: the field takes the even
    // neighbour, the message shows the half rounded up.
    const TWaterLimits r = ApplyWaterLimits(720, 1000, 0.5);
    EXPECT_EQ(r.W, 1386);
    EXPECT_EQ(r.B, 997894);
    EXPECT_EQ(r.Messages, QStringList{"Minimum water content is 1387 ppm"});
}
