#pragma once

#include <cstdint>

struct TPlanRequest;
struct TPlanResult;

// What keeps a delivered concentration from averaging within tolerance.
enum class TAveraging : std::uint8_t {
    Sound,        // nothing: the plan is deliverable
    GasA,         // gas A's concentration, from the pulses of the pulsed gas
    WaterByGasB,  // the water carried by pulses of gas B through the bubbler
};

// Whether the controllers can deliver a plan within tolerance. A gas dosed
// in pulses comes in portions of at least one smallest pulse; a dosing that
// gives each pulse when the delivery lags by half of one keeps within half a
// pulse of the plan, so the mixture averages within tolerance once (nearly,
// AveragingConfidence) half a pulse is no more than the tolerance of what
// was due. Only pulsed plans are judged; a plan that needs longer than
// LongestAveragingMinutes is not deliverable.
struct TPlanFeasibility {
    bool Pulsed = false;      // the plan doses gas A or gas B in pulses
    bool PulsedA = false;     // gas A, else gas B
    float PulseSetPoint = 0;  // g/min
    double PulseGrams = 0;    // the smallest pulse
    double GasAMinutes = 0;   // until gas A averages within tolerance
    double WaterMinutes = 0;  // until the water does (water carried by pulses of gas B)
    TAveraging Limit = TAveraging::Sound;
    bool Deliverable = true;

    // For a plan that is not deliverable: the lowest and highest gas A these
    // controllers deliver without water (besides the pure gases), and the
    // lowest and highest water they deliver with this plan's gas A (judged
    // only when the vapour pressure is known). Lowest above highest: none.
    std::int32_t LowestA = 0;
    std::int32_t HighestA = 0;
    bool WaterRangeKnown = false;
    std::int32_t LowestW = 0;
    std::int32_t HighestW = 0;

    double Minutes() const { return GasAMinutes > WaterMinutes ? GasAMinutes : WaterMinutes; }
};

// Judges `plan`, made from `request`; for a plan that is not deliverable,
// plans other mixtures with the same gases and controllers for the ranges.
TPlanFeasibility AssessFeasibility(const TPlanRequest& request, const TPlanResult& plan);
