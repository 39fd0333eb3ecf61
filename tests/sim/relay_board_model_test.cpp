#include "relay_board_model.h"
#include "time_units.h"

#include <gtest/gtest.h>

namespace {

constexpr double T0 = 46365.5;

double At(double ms)
{
    return T0 + ms / MsPerDay;
}

}  // namespace

TEST(RelayBoardModel, AnswersItsThreeCommands)
{
    RelayBoardModel m;
    m.BubblerTemperatureC = 25.0;
    struct Case {
        std::vector<std::uint8_t> command;
        std::vector<std::uint8_t> reply;
    };
    const std::uint16_t count = ThermistorCountAt(25.0);
    const Case cases[] = {
        {{254, 33}, {85}},
        {{254, 40, 19}, {85}},
        {{254, 158}, {static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count & 0xFF)}},
        {{254, 99}, {}},
        {{7, 7}, {}},
    };
    double t = 0;
    for (const Case& c : cases) {
        t += 100;
        EXPECT_EQ(m.receive(c.command, At(t)).Bytes, c.reply);
    }
    EXPECT_EQ(m.pattern(), 19);
    EXPECT_TRUE(m.valveOpen(1));
    EXPECT_TRUE(m.valveOpen(2));
    EXPECT_FALSE(m.valveOpen(3));
    EXPECT_TRUE(m.valveOpen(5));
    ASSERT_EQ(m.patterns().size(), 1u);
    EXPECT_EQ(m.patterns()[0].Pattern, 19);
    EXPECT_EQ(m.commands().size(), 4u) << "bytes that start no command are not a command";
}

TEST(RelayBoardModel, ACommandMayArriveInPiecesButNotAcrossAPause)
{
    RelayBoardModel m;
    EXPECT_TRUE(m.receive({254}, At(0)).Bytes.empty());
    EXPECT_TRUE(m.receive({40}, At(0.2)).Bytes.empty());
    EXPECT_EQ(m.receive({8}, At(0.3)).Bytes, (std::vector<std::uint8_t>{85}));
    EXPECT_EQ(m.pattern(), 8);

    // A piece after a long pause starts afresh: the stray 33 is not a check.
    EXPECT_TRUE(m.receive({254}, At(100)).Bytes.empty());
    EXPECT_TRUE(m.receive({33}, At(200)).Bytes.empty());
    EXPECT_EQ(m.commands().size(), 1u);
}

TEST(RelayBoardModel, ThermistorCountFollowsTemperature)
{
    // Warmer water, lower thermistor resistance, lower count.
    EXPECT_GT(ThermistorCountAt(10.0), ThermistorCountAt(22.0));
    EXPECT_GT(ThermistorCountAt(22.0), ThermistorCountAt(40.0));
    // About 24.4 degrees sits at half scale.
    EXPECT_NEAR(ThermistorCountAt(24.4), 512, 1);
}
