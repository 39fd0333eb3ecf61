#pragma once

#include <string_view>

// What a dilution tick does for a mixing method. Every supported method
// reads the totalizers, holds the dry path with the planned set-points and
// doses water; "A (pulse) in B" also doses gas A in pulses.
struct TMethodSteps {
    bool Supported = false;
    bool PulseGasA = false;
    bool PulseGasB = false;
};

// Whether the method doses the gas of the controller at `Address` (1 gas A,
// 2 gas B) in pulses rather than at a steady set-point.
inline bool Pulsed(const TMethodSteps& steps, unsigned Address)
{
    return Address == 1 ? steps.PulseGasA : steps.PulseGasB;
}

// A gas pulse: the set-point it opens the controller to (g/min, the same in
// every plan and for every gas) and how long it is held.
inline constexpr float PulseFlow = 0.015f;
inline constexpr unsigned PulseLengthMs = 100;

// The steps for one of the planner's fourteen method names, compared exactly
// (case and spaces count). Any other name is not supported.
TMethodSteps StepsOfMethod(std::string_view method);
