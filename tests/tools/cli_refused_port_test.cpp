// dilutra-cli on a port the operator may not open: a pseudo-terminal without
// read and write permission, opened by an ordinary user.
#include "cli_mfc.h"
#include "cli_relay.h"
#include "clock.h"
#include "pty_host.h"
#include "relay_board_model.h"
#include "system_serial_lines.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

TEST(CliRefusedPort, EveryCommandSaysHowToGetPermission)
{
    RealClock clock;
    RelayBoardModel model;
    PtyDeviceHost host(model, clock);
    ASSERT_TRUE(host.isRunning());
    const std::string path = host.portPath();
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const std::string refusal
        = "Permission denied on " + path + ": add your user to the group dialout and log in again";

    using Command = int (*)(const std::vector<std::string>&, SerialLines&, Clock&, std::ostream&, std::ostream&);
    struct Case {
        Command run;
        const char* action;
        std::string err;
    };
    const Case cases[] = {
        {RunRelay, "check", "board check: " + refusal + "\n"},
        {RunMfc, "identify", "controller 1: " + refusal + "\ncontroller 2: " + refusal + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        const auto result = RunUnprivileged([&] {
            SystemSerialLines lines;
            std::ostringstream out;
            std::ostringstream err;
            const int code = c.run({"--port", path, c.action}, lines, clock, out, err);
            return std::to_string(code) + "\n" + err.str();
        });
        EXPECT_EQ(result, "1\n" + c.err);
    }
}
