#pragma once

#include <string>

// A controller's totalizer as the program last saw it. Masses in grams,
// times as day counts of the program's clock.
struct TTotalizer {
    double Value = 0.0;       // grams at the last reading
    double Time = 0.0;        // when Value (or the start values) were taken
    double StartValue = 0.0;  // grams read right after the zeroing
    double StartTime = 0.0;   // when the totalizer was zeroed
    std::string FlowUnit;     // not filled by any operation
};
