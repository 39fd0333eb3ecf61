#pragma once

#include <cstdint>
#include <limits>
#include <string>

// The full scales a thermal mass-flow controller can have, g/min: above 0
// (at least the smallest normal float) and up to 10 kg/min, beyond the
// largest such controller. A range read outside them is no range.
inline constexpr float LowestFullScaleGramsPerMinute = std::numeric_limits<float>::min();
inline constexpr float HighestFullScaleGramsPerMinute = 10000.0f;

// The gas table a flow controller meters with: its names and flow range.
// Filled from the controller when a gas is chosen; read by the planner and
// its report.
struct TFlowInfo {
    std::string Name;       // short gas name of the selected table
    std::string LongName;   // long gas name
    std::string FlowUnit;   // unit text, shown only
    float Max = 0.0f;       // full-scale flow, g/min
    std::uint32_t Dyn = 0;  // dynamic range, Max / smallest controllable flow
    float Min = 0.0f;       // Max / Dyn, g/min
};
