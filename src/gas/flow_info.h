#pragma once

#include <cstdint>
#include <string>

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
