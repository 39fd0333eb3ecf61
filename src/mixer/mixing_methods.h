#pragma once

#include <string_view>

// What a dilution tick does for a mixing method. Every supported method
// reads the totalizers, holds the dry path with the planned set-points and
// doses water; "A (pulse) in B" also doses gas A in pulses.
struct TMethodSteps {
    bool Supported = false;
    bool PulseGasA = false;
};

// The steps for one of the planner's fourteen method names, compared exactly
// (case and spaces count). Any other name is not supported.
TMethodSteps StepsOfMethod(std::string_view method);
