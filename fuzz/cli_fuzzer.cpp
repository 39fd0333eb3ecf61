// dilutra-cli's command lines, any words: every one ends in an exit code
// (0, 1 or 2) and one of the two outputs; with no equipment attached, a
// command that reaches a device fails with 1, never with a crash.
#include "cli_commands.h"
#include "cli_mfc.h"
#include "cli_plan.h"
#include "cli_ports.h"
#include "cli_relay.h"
#include "clock.h"
#include "replay_line.h"

#include <QCoreApplication>

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const int command = in.ConsumeIntegralInRange(0, 3);
    std::vector<std::string> args;
    while (in.remaining_bytes() > 0 && args.size() < 24)
        args.push_back(in.ConsumeRandomLengthString(24));

    FakeClock clock;
    RegisteredSerialLines lines;
    const std::vector<std::uint8_t> silence;
    ReplayLine::Register(lines, silence);
    std::ostringstream out;
    std::ostringstream err;
    int code = 0;
    switch (command) {
    case 0: code = RunPlan(args, out, err); break;
    case 1: code = RunMfc(args, lines, clock, out, err); break;
    case 2: code = RunRelay(args, lines, clock, out, err); break;
    default: code = RunPorts(args, lines, out, err); break;
    }
    FUZZ_REQUIRE(code >= 0 && code <= 2);
    if (code == 2)
        FUZZ_REQUIRE(!err.str().empty() && out.str().empty());
    return 0;
}
