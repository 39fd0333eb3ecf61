#include "cli_relay.h"
#include "clock.h"
#include "relay_board_model.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Cli {
    FakeClock clock;
    RelayBoardModel model;
    SimulatedPort port{model, clock};
    RegisteredSerialLines lines;
    std::ostringstream out;
    std::ostringstream err;

    Cli() { registerSimulatedPort(lines, "SIM-RELAY", port); }

    int Relay(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", "SIM-RELAY"});
        return RunRelay(args, lines, clock, out, err);
    }
};

}  // namespace

TEST(CliRelay, BoardCheck)
{
    Cli ok;
    EXPECT_EQ(ok.Relay({"check"}), 0);
    EXPECT_EQ(ok.out.str(), "board: OK\nreply: 85\n");

    Cli wrong;
    wrong.model.Faults.CheckReply = 3;
    EXPECT_EQ(wrong.Relay({"check"}), 1);
    EXPECT_EQ(wrong.out.str(), "board: NOT OK\nreply: 3\n");

    Cli silent;
    silent.model.Faults.Silent = true;
    EXPECT_EQ(silent.Relay({"check"}), 1);
    EXPECT_EQ(silent.out.str(), "board: NOT OK\nreply: 0\n");
    EXPECT_EQ(silent.err.str(), "board check: Timeout while waiting for response\n");
}

TEST(CliRelay, ValvesAreGivenV1First)
{
    struct Case {
        const char* digits;
        std::uint8_t pattern;
    };
    for (const Case c : {Case{"110010", 19}, Case{"001000", 4}, Case{"000000", 0}, Case{"111111", 63}}) {
        Cli cli;
        EXPECT_EQ(cli.Relay({"valves", c.digits}), 0) << c.digits;
        EXPECT_EQ(cli.model.pattern(), c.pattern) << c.digits;
        EXPECT_EQ(cli.out.str(), std::string("valves: ") + c.digits + "\npattern: " + std::to_string(c.pattern) + "\n");
    }
}

TEST(CliRelay, TemperatureReading)
{
    Cli cli;
    cli.model.Faults.AnalogueCount = 512;
    EXPECT_EQ(cli.Relay({"temperature"}), 0);
    EXPECT_EQ(cli.out.str().substr(0, 37), "dac: 512\nvolt: 2.5\nohm: 10000\ntempera");
    EXPECT_NE(cli.out.str().find("temperature_c: 24.4"), std::string::npos) << cli.out.str();
    EXPECT_NE(cli.out.str().find("ph2o_atm: 0.030"), std::string::npos) << cli.out.str();

    Cli shorted;
    shorted.model.Faults.AnalogueCount = 0;
    EXPECT_EQ(shorted.Relay({"temperature"}), 1);
    EXPECT_EQ(shorted.out.str(), "");
    EXPECT_EQ(shorted.err.str(), "0-1024 DAC = 0\nThermistor reading out of range: DAC = 0\n");
}

TEST(CliRelay, BadArgumentsExit2AndSendNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"valves", "11001"}, {"valves", "110012"}, {"valves"}, {"check", "extra"}, {"open"}, {},
    };
    for (const auto& args : cases) {
        Cli cli;
        EXPECT_EQ(cli.Relay(args), 2);
        EXPECT_TRUE(cli.model.commands().empty());
        EXPECT_FALSE(cli.err.str().empty());
    }
    Cli noPort;
    EXPECT_EQ(RunRelay({"check"}, noPort.lines, noPort.clock, noPort.out, noPort.err), 2);
}
