// The planner and the water limits with any numbers: a plan either comes
// out with flows a controller can be sent (finite, not negative) or is
// refused with an error, and its report can always be written.
#include "compounds.h"
#include "plan_report.h"
#include "planner.h"
#include "fuzz_require.h"
#include "water_limits.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

TFlowInfo Controller(FuzzedDataProvider& in, const std::string& gas)
{
    TFlowInfo fi;
    fi.Name = gas;
    fi.Max = in.ConsumeFloatingPoint<float>();
    fi.Dyn = in.ConsumeIntegralInRange<std::uint32_t>(1, std::numeric_limits<std::uint32_t>::max());
    fi.Min = static_cast<float>(static_cast<long double>(fi.Max) / fi.Dyn);
    return fi;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    // The ppm as the fields and the command line allow them; the vapour
    // pressure and the controllers' ranges anything at all.
    const auto a = in.ConsumeIntegralInRange<std::int32_t>(0, 1000000);
    const auto w = in.ConsumeIntegralInRange<std::int32_t>(0, 35000);
    const double p = in.ConsumeFloatingPoint<double>();
    const TWaterLimits limits = ApplyWaterLimits(a, w, p);
    FUZZ_REQUIRE(limits.W >= 0 && limits.W <= 35000);
    FUZZ_REQUIRE(limits.B == 1000000 - a - limits.W);

    TPlanRequest request;
    const std::size_t count = std::size(Compounds);
    request.GasA = Compounds[in.ConsumeIntegralInRange<std::size_t>(0, count - 1)].Name;
    request.GasB = Compounds[in.ConsumeIntegralInRange<std::size_t>(0, count - 1)].Name;
    request.a = a;
    request.w = limits.W;
    request.b = limits.B;
    request.FIA = Controller(in, request.GasA);
    request.FIB = Controller(in, request.GasB);
    try {
        const TPlanResult plan = CalculatePlan(request);
        (void)PlanReportLines(plan);
        // Ranges as the controllers' check and the command line admit them.
        const auto sound
            = [](const TFlowInfo& fi) { return std::isfinite(fi.Max) && fi.Max >= std::numeric_limits<float>::min(); };
        if (sound(request.FIA) && sound(request.FIB)) {
            FUZZ_REQUIRE(std::isfinite(plan.DesiredFlowAGramsperMinute) && plan.DesiredFlowAGramsperMinute >= 0);
            FUZZ_REQUIRE(std::isfinite(plan.DesiredFlowBGramsperMinute) && plan.DesiredFlowBGramsperMinute >= 0);
        }
    } catch (const std::runtime_error&) {
        // Refused with its documented error.
    }
    return 0;
}
