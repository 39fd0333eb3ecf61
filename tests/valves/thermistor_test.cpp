#include "relay_commands.h"
#include "thermistor.h"

#include <gtest/gtest.h>

TEST(Thermistor, DividerAndTemperatureForSoundCounts)
{
    struct Case {
        int dac;
        double volt;
        double ohm;
        double celsius;
        double tolerance;
    };
    const Case cases[] = {
        {512, 2.5, 10000.0, 24.4, 0.05},
        {256, 1.25, 10000.0 / 3.0, 0, 0},  // temperature checked for order only
        {600, 2.9296875, 10000.0 * 600 / 424, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dac);
        const auto r = ThermistorFromDac(c.dac);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->Dac, c.dac);
        EXPECT_DOUBLE_EQ(r->Volt, c.volt);
        EXPECT_NEAR(r->Ohm, c.ohm, 1e-9 * c.ohm);
        if (c.tolerance > 0) {
            EXPECT_NEAR(r->TemperatureC, c.celsius, c.tolerance);
        }
    }
    // A higher count means a larger resistance, which for this thermistor
    // means a colder bubbler.
    EXPECT_GT(ThermistorFromDac(256)->TemperatureC, ThermistorFromDac(512)->TemperatureC);
    EXPECT_GT(ThermistorFromDac(512)->TemperatureC, ThermistorFromDac(600)->TemperatureC);
}

TEST(Thermistor, ImpossibleCountsGiveNoReading)
{
    // 0 is a shorted thermistor (about 189 degrees), 1024 and above cannot
    // come from the divider, and near the top the temperature drops below 0.
    EXPECT_GT(ThermistorTemperatureC(0.0), 150.0);
    for (int dac : {0, 1024, 1025, 65535, -1, 1023})
        EXPECT_FALSE(ThermistorFromDac(dac).has_value()) << dac;

    // Every count that gives a reading gives a liquid-water temperature, and
    // the sound range is one unbroken run of counts.
    int first = -1, last = -1;
    for (int dac = 0; dac < 1024; ++dac) {
        if (const auto r = ThermistorFromDac(dac)) {
            EXPECT_GT(r->TemperatureC, 0.0);
            EXPECT_LT(r->TemperatureC, 100.0);
            if (first < 0)
                first = dac;
            EXPECT_EQ(last < 0 ? dac : last + 1, dac) << "gap before " << dac;
            last = dac;
        }
    }
    EXPECT_GT(first, 0);
    EXPECT_LT(last, 1000);
    EXPECT_GT(last - first, 600);
}

TEST(Thermistor, ReplyBytesAreHighByteFirst)
{
    EXPECT_EQ(DacFromReply(2, 0), 512);
    EXPECT_EQ(DacFromReply(0, 255), 255);
    EXPECT_EQ(DacFromReply(3, 255), 1023);
}

TEST(RelayCommands, ValvePatternBits)
{
    struct Case {
        int v[6];
        std::uint8_t pattern;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0}, 0},  {{1, 1, 0, 0, 1, 0}, 19}, {{0, 0, 1, 0, 0, 0}, 4},  {{1, 1, 0, 0, 0, 1}, 35},
        {{0, 0, 0, 1, 0, 1}, 40}, {{0, 0, 0, 1, 1, 0}, 24}, {{1, 1, 1, 1, 1, 1}, 63}, {{5, 0, 0, 0, 0, -1}, 33},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValvePattern(c.v[0], c.v[1], c.v[2], c.v[3], c.v[4], c.v[5]), c.pattern);
        const auto cmd = SetValvesCommand(c.pattern);
        EXPECT_EQ(cmd[0], 254);
        EXPECT_EQ(cmd[1], 40);
        EXPECT_EQ(cmd[2], c.pattern);
    }
}
