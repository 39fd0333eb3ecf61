#include "cli_serve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

TEST(CliServe, ReadsWhereToListenAndRefusesWhatCannotBeRun)
{
    const std::vector<std::string> gases = {"--gas-a", "O2", "--gas-b", "N2"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.end(), gases.begin(), gases.end());
        return extra;
    };
    const struct {
        std::vector<std::string> args;
        std::string listen;  // "" when refused
    } cases[] = {
        {with({"--simulate"}), "127.0.0.1:5025"},
        {with({"--relay-port", "/dev/ttyUSB1", "--mfc-port", "/dev/ttyUSB0", "--listen", "0.0.0.0:0"}), "0.0.0.0:0"},
        {with({"--simulate", "--listen", "[::1]:5025"}), "[::1]:5025"},
        {with({"--simulate", "--listen", "localhost:6000", "--simulate-fault", "relay-silent@5", "--simulate-fault",
               "mfc-flaky@1:5"}),
         "127.0.0.1:6000"},
        {with({"--relay-port", "/dev/ttyUSB1"}), ""},  // the controllers' port missing
        {with({"--simulate", "--listen", "127.0.0.1"}), ""},
        {with({"--simulate", "--listen", "127.0.0.1:65536"}), ""},
        {with({"--simulate", "--listen", "::1:5025"}), ""},     // an IPv6 address goes in brackets
        {with({"--simulate", "--listen", "lab-pc:5025"}), ""},  // no name is looked up
        {with({"--simulate", "--simulate-fault", "relay-silent"}), ""},
        {with({"--relay-port", "A", "--mfc-port", "B", "--simulate-fault", "relay-silent@5"}), ""},
        {{"--simulate", "--gas-a", "N2", "--gas-b", "Ar"}, ""},
        {{"--simulate", "--gas-a", "O2"}, ""},
        {with({"--simulate", "extra"}), ""},
    };
    for (const auto& c : cases) {
        TServeOptions options;
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<int> done = ReadServeCommand(c.args, options, out, err);
        const std::string line = testing::PrintToString(c.args);
        if (c.listen.empty()) {
            EXPECT_EQ(done, 2) << line;
            const std::string said = err.str();
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << line << said;
            continue;
        }
        ASSERT_FALSE(done) << line << err.str();
        EXPECT_EQ(ListenAddressText(options.Listen).toStdString(), c.listen) << line;
    }
}
