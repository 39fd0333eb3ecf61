#pragma once

#include <optional>

// What the mixer is delivering at a glance, made at every tick from what the
// tick already knows. A value is absent where nothing sound stands behind it
// (no dilution so far, no fresh totalizer readings, no plan, no reading of
// the bubbler).
struct TReadout {
    // The elapsed time and the delivered fractions describe a dilution
    // running now; otherwise they are the last dilution's, as it ended.
    bool DeliveryLive = false;
    std::optional<double> DilutionEndedWall;  // when the last dilution ended, wall day count
    std::optional<double> ElapsedDays;        // since the dilution started
    std::optional<double> PpmA;               // gas A delivered since the start, ppm
    std::optional<double> PpmH2O;             // water delivered since the start, ppm
    std::optional<double> PlannedPpmA;        // as the plan asks
    std::optional<double> PlannedPpmH2O;
    // The expanded uncertainty (k = 2, ppm) of what the plan delivers.
    std::optional<double> PlannedUncertaintyA;
    std::optional<double> PlannedUncertaintyH2O;
    std::optional<double> FlowA;  // g/min, from the totalizer readings where the state reads them
    std::optional<double> FlowB;
    std::optional<double> SetPointA;  // g/min, as last sent; a pulsed gas's plan average
    std::optional<double> SetPointB;
    std::optional<double> BubblerC;  // temperature of the newest sound reading
    int LogRows = 0;                 // rows stored in the log
};

// Totalizer readings older than this say nothing about the flow now.
inline constexpr double ReadoutStaleSeconds = 2.0;
// The flow is measured over this much of the newest readings (less at the
// start of a dilution).
inline constexpr double ReadoutFlowSeconds = 10.0;
