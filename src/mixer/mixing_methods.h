#pragma once

#include "mixing_method.h"
#include "pulse_dosing.h"

// What a dilution tick does for a mixing method. Every method reads the
// totalizers, holds the delivery path with the planned set-points and doses
// water; a gas planned below its controller's minimum is dosed in pulses.
struct TMethodSteps {
    bool Supported = false;
    bool PulseGasA = false;
    bool PulseGasB = false;
};

// Two faults of the mixer as it was first written, each mended; a dry run
// can turn a mend off to show what it is worth. Both are on in operation.
struct TDeliveryRules {
    // "A (pulse) in B/H2O" doses gas A in pulses. Off: gas A gets its
    // planned flow, below its controller's minimum, as a constant set-point.
    bool GasAPulsesWithWater = true;
    // Gas B saturated at the vapour pressure p carries p / (1 - p) moles of
    // water per mole, so the bubbler's share of gas B is w / b * (1 - p) / p.
    // Off: p moles per mole, and the share w / 1000000 / p.
    bool SaturatedStream = true;
};

// Whether the method doses the gas of the controller at `Address` (1 gas A,
// 2 gas B) in pulses rather than at a steady set-point.
inline bool Pulsed(const TMethodSteps& steps, unsigned Address)
{
    return Address == 1 ? steps.PulseGasA : steps.PulseGasB;
}

// The steps for one of the planner's fourteen methods; None is not
// supported.
TMethodSteps StepsOfMethod(TMixingMethod method, const TDeliveryRules& rules = {});
