// A program file of any bytes: it reads as steps within their limits that
// write and read back unchanged, or it is refused with a line and a reason.
#include "flow_program.h"
#include "fuzz_require.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TFlowProgram program;
    try {
        program = ReadFlowProgram(text);
    } catch (const TFlowProgramError& e) {
        FUZZ_REQUIRE(e.Line() >= 1 && !e.Reason().isEmpty());
        return 0;
    }
    FUZZ_REQUIRE(!program.empty() && static_cast<int>(program.size()) <= ProgramStepsMax);
    for (const TProgramStep& step : program) {
        FUZZ_REQUIRE(step.PpmA >= 0 && step.PpmA <= ProgramPpmMax);
        FUZZ_REQUIRE(step.PpmH2O >= 0 && step.PpmH2O <= ProgramWaterPpmMax);
        FUZZ_REQUIRE(std::isfinite(step.Minutes) && step.Minutes > 0 && step.Minutes <= ProgramMinutesMax);
    }
    FUZZ_REQUIRE(ReadFlowProgram(FlowProgramText(program)) == program);
    return 0;
}
