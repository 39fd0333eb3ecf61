// How long a pulsed plan needs to average within tolerance, and, for one
// that needs too long, the concentrations the same controllers can deliver.
#include "feasibility.h"

#include "planner.h"
#include "pulse_dosing.h"
#include "water_limits.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr std::int32_t Million = 1000000;
// The most water a request may ask for.
constexpr std::int32_t MostWaterPpm = 35000;

// The water carried by pulses of gas B keeps within half a pulse of what its
// share of the gas B counted asks for, and that gas B within half a pulse of
// its plan: the water within the sum of both, each spread evenly. Where the
// sum stays at the AveragingConfidence share of the moments, in halves of a
// pulse: the two-sided quantile of the sum of two even spreads, of 1 and of
// `share`.
double WaterSpread(double share)
{
    const double outside = 1.0 - AveragingConfidence;
    if (share <= outside)
        return AveragingConfidence;
    return 1.0 + share - 2.0 * std::sqrt(outside * share);
}

TPlanFeasibility Judge(const TPlanRequest& r, const TPlanResult& plan)
{
    TPlanFeasibility f;
    const bool pulsedA = GasAPulsed(plan.MixingMethod);
    if (!pulsedA && !GasBPulsed(plan.MixingMethod))
        return f;
    f.Pulsed = true;
    f.PulsedA = pulsedA;
    f.PulseSetPoint = PulseSetPointOf(pulsedA ? r.FIA : r.FIB);
    f.PulseGrams = SmallestPulseGrams(f.PulseSetPoint);
    const double half = AveragingConfidence * f.PulseGrams / 2;
    if (pulsedA) {
        const double flow = plan.DesiredFlowAGramsperMinute;
        if (flow > 0 && r.a > 0)
            f.GasAMinutes = half / (flow * ToleranceShare(r.a));
    } else {
        const double flow = plan.DesiredFlowBGramsperMinute;
        // Gas B off by a share of itself moves gas A by that share of b ppm.
        if (flow > 0 && r.a > 0 && r.b > 0)
            f.GasAMinutes = half * r.b / (flow * ToleranceShare(r.a) * r.a);
        // The water comes with the pulses that go through the bubbler: gas B
        // saturated at p carries p / (1 - p) moles of water per mole.
        const double p = r.pH2O;
        if (flow > 0 && r.w > 0 && r.b > 0 && p > 0 && p < 1) {
            const double share = std::min(1.0, static_cast<double>(r.w) / r.b * (1 - p) / p);
            f.WaterMinutes = WaterSpread(share) * f.PulseGrams / 2 / (flow * share * ToleranceShare(r.w));
        }
    }
    f.Deliverable = !(f.Minutes() > LongestAveragingMinutes);
    if (!f.Deliverable)
        f.Limit = f.GasAMinutes > LongestAveragingMinutes ? TAveraging::GasA : TAveraging::WaterByGasB;
    return f;
}

// Whether gas A at `a` ppm and water at `w` ppm are delivered within
// tolerance (a plan that cannot be made is not).
bool Delivers(const TPlanRequest& base, std::int32_t a, std::int32_t w, bool water)
{
    TPlanRequest r = base;
    r.a = a;
    r.w = w;
    r.b = Million - a - w;
    try {
        const TPlanFeasibility f = Judge(r, CalculatePlanFlows(r));
        return !((water ? f.WaterMinutes : f.GasAMinutes) > LongestAveragingMinutes);
    } catch (...) {
        return false;
    }
}

// The lowest and highest x from `lo` to `hi` for which `ok` holds, where it
// holds on one stretch; lowest above highest when it holds nowhere that a
// look at the ends and at points spread over the decades finds.
template <class Ok> std::pair<std::int32_t, std::int32_t> Stretch(std::int32_t lo, std::int32_t hi, Ok ok)
{
    std::vector<std::int32_t> looks{lo, hi};
    constexpr int Steps = 40;
    for (int k = 1; k < Steps; ++k) {
        const double step = std::pow(static_cast<double>(hi - lo + 1), static_cast<double>(k) / Steps);
        looks.push_back(lo - 1 + static_cast<std::int32_t>(step));
        looks.push_back(hi + 1 - static_cast<std::int32_t>(step));
    }
    std::optional<std::int32_t> inside;
    for (std::int32_t x : looks) {
        if (x >= lo && x <= hi && ok(x)) {
            inside = x;
            break;
        }
    }
    if (!inside)
        return {1, 0};
    std::int32_t lowest = lo;
    if (!ok(lo)) {
        std::int32_t no = lo, yes = *inside;
        while (yes - no > 1) {
            const std::int32_t mid = no + (yes - no) / 2;
            (ok(mid) ? yes : no) = mid;
        }
        lowest = yes;
    }
    std::int32_t highest = hi;
    if (!ok(hi)) {
        std::int32_t yes = std::max(*inside, lowest), no = hi;
        while (no - yes > 1) {
            const std::int32_t mid = yes + (no - yes) / 2;
            (ok(mid) ? yes : no) = mid;
        }
        highest = yes;
    }
    return {lowest, highest};
}

void FindRanges(const TPlanRequest& r, TPlanFeasibility& f)
{
    auto gasA = [&](std::int32_t a) { return Delivers(r, a, 0, false); };
    std::tie(f.LowestA, f.HighestA) = Stretch(1, Million - 1, gasA);
    // Gas A up to the last ppm below pure: pure gas A is delivered as well.
    if (f.LowestA <= f.HighestA && f.HighestA == Million - 1)
        f.HighestA = Million;

    const double p = r.pH2O;
    if (!(p > 0 && p < 1))
        return;
    f.WaterRangeKnown = true;
    // The water the limits let through at this gas A.
    const std::int32_t least = ApplyWaterLimits(r.a, 1, p).W;
    const std::int32_t most = ApplyWaterLimits(r.a, MostWaterPpm, p).W;
    if (least < 1 || most < least) {
        f.LowestW = 1;
        f.HighestW = 0;
        return;
    }
    auto water = [&](std::int32_t w) { return Delivers(r, r.a, w, true); };
    std::tie(f.LowestW, f.HighestW) = Stretch(least, most, water);
}

}  // namespace

TPlanFeasibility AssessFeasibility(const TPlanRequest& request, const TPlanResult& plan)
{
    TPlanFeasibility f = Judge(request, plan);
    if (!f.Deliverable)
        FindRanges(request, f);
    return f;
}
