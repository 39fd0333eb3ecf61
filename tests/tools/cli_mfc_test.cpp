#include "cli_mfc.h"
#include "cli_ports.h"
#include "clock.h"
#include "mfc_bus_model.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <gtest/gtest.h>

#include <limits>

#include <sstream>

namespace {

struct Cli {
    FakeClock clock;
    MfcBusModel model;
    SimulatedPort port{model, clock};
    RegisteredSerialLines lines;
    std::ostringstream out;
    std::ostringstream err;

    Cli() { registerSimulatedPort(lines, "SIM-MFC", port); }

    int Mfc(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", "SIM-MFC"});
        return RunMfc(args, lines, clock, out, err);
    }
};

}  // namespace

TEST(CliPorts, ListsEveryPortOneALine)
{
    Cli cli;
    SimulatedPort other{cli.model, cli.clock};
    registerSimulatedPort(cli.lines, "SIM-RELAY", other);
    EXPECT_EQ(RunPorts({}, cli.lines, cli.out, cli.err), 0);
    EXPECT_EQ(cli.out.str(), "port: SIM-MFC\nport: SIM-RELAY\n");
    EXPECT_EQ(RunPorts({"--all"}, cli.lines, cli.out, cli.err), 2);
}

TEST(CliMfc, PrintsWhatTheServicesRead)
{
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    const Case cases[] = {
        {{"identify"}, "controller 1: GSC10417\ncontroller 2: GSC10418\n"},
        {{"gas-table", "--address", "2", "--table", "3"},
         "Name: N2\nLongName: Nitrogen\nFlowUnit: g/min\nMax: 4\nDyn: 50\nMin: 0.08\n"},
        {{"gas-table", "--table", "2", "--address", "1"},
         "Name: O2\nLongName: Oxygen\nFlowUnit: g/min\nMax: 0.25\nDyn: 50\nMin: 0.005\n"},
        {{"setpoint", "--address", "2", "--flow", "1.5"}, "setpoint: 1.5\n"},
        {{"totalizers"}, "TotalizerA (g): 0\nTotalizerB (g): 0\n"},
        {{"totalizers", "--reset"}, "TotalizerA (g): 0\nTotalizerB (g): 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        Cli cli;
        EXPECT_EQ(cli.Mfc(c.args), 0) << cli.err.str();
        EXPECT_EQ(cli.out.str(), c.out);
        EXPECT_EQ(cli.err.str(), "");
    }
}

TEST(CliMfc, ActsOnTheControllers)
{
    Cli cli;
    ASSERT_EQ(cli.Mfc({"gas-table", "--address", "2", "--table", "3"}), 0);
    EXPECT_EQ(cli.model.gasTableInUse(2), 3);
    ASSERT_EQ(cli.Mfc({"setpoint", "--address", "2", "--flow", "1.5"}), 0);
    EXPECT_EQ(cli.model.setPoint(2), 1.5f);
    cli.clock.advanceMs(60000.0);
    cli.out.str("");
    ASSERT_EQ(cli.Mfc({"totalizers"}), 0);
    const std::string grams = cli.out.str().substr(cli.out.str().find("TotalizerB (g): ") + 16);
    EXPECT_NEAR(std::stod(grams), 1.5 - 1.5 * cli.model.Response.LagSeconds / 60.0, 0.01);
    ASSERT_EQ(cli.Mfc({"totalizers", "--reset"}), 0);
    EXPECT_LT(cli.model.totalizerKg(2, cli.clock.now()), 0.00001);
}

TEST(CliMfc, AFailedTransactionPrintsItsStatusAndExits1)
{
    struct Case {
        const char* name;
        std::function<void(Cli&)> fault;
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {"silent controller",
         [](Cli& c) { c.model.faults(2).Silent = true; },
         {"identify"},
         "controller 2: No result to read\n"},
        {"not a controller",
         [](Cli& c) { c.model.faults(1).Identification = "ABC"; },
         {"identify"},
         "One of more MFC failed to be identified\n"},
        {"no dynamic range",
         [](Cli& c) { c.model.faults(1).DynamicRangeZero = true; },
         {"gas-table", "--address", "1", "--table", "2"},
         "gas table: Invalid dynamic range\n"},
        {"port unplugged",
         [](Cli& c) {
             c.port.Unavailable = true;
             c.port.UnavailableBecause.Why = SerialOpenFailure::Reason::Missing;
         },
         {"setpoint", "--address", "1", "--flow", "0"},
         "setpoint: Controller 1 did not confirm the set-point 0.000: No such port: SIM-MFC\n"},
        {"corrupted replies",
         [](Cli& c) { c.model.faults(1).BadCrc = true; },
         {"totalizers"},
         "totalizers: Controller 1 totalizer not read: Checksum error in response\n"},
        {"a totalizer that is not a number",
         [](Cli& c) { c.model.faults(2).TotalizerKg = std::numeric_limits<float>::quiet_NaN(); },
         {"totalizers"},
         "totalizers: Controller 2 totalizer not read: invalid reading nan kg\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Cli cli;
        c.fault(cli);
        EXPECT_EQ(cli.Mfc(c.args), 1);
        EXPECT_EQ(cli.err.str(), c.err);
    }
}

TEST(CliMfc, BadArgumentsExit2AndContactNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"identify"},
        {"--port"},
        {"--port", "SIM-MFC"},
        {"--port", "SIM-MFC", "fly"},
        {"--port", "SIM-MFC", "identify", "--reset"},
        {"--port", "SIM-MFC", "identify", "extra"},
        {"--port", "SIM-MFC", "gas-table", "--address", "3", "--table", "2"},
        {"--port", "SIM-MFC", "gas-table", "--address", "1"},
        {"--port", "SIM-MFC", "gas-table", "--address", "1", "--table", "70000"},
        {"--port", "SIM-MFC", "gas-table", "--address", "1", "--table", "2x"},
        {"--port", "SIM-MFC", "setpoint", "--address", "1", "--flow", "fast"},
        {"--port", "SIM-MFC", "setpoint", "--address", "1", "--flow", ""},
        {"--port", "SIM-MFC", "setpoint", "--flow", "1"},
        {"--port", "SIM-MFC", "setpoint", "--address", "1", "--flow", "-0.5"},
        {"--port", "SIM-MFC", "setpoint", "--address", "1", "--flow", "nan"},
        {"--port", "SIM-MFC", "totalizers", "--address", "1"},
        {"--port", "SIM-MFC", "totalizers", "--flow"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        Cli cli;
        EXPECT_EQ(RunMfc(args, cli.lines, cli.clock, cli.out, cli.err), 2);
        EXPECT_FALSE(cli.err.str().empty());
        EXPECT_TRUE(cli.model.frames().empty());
        EXPECT_EQ(cli.port.openCount(), 0);
    }
}
