#pragma once

#include "log_row.h"
#include "time_units.h"

// A dilution an hour in: 0.012345 g oxygen and 10 g argon delivered, gas B
// an hour in the bubbler at 1 g/min and 25 degrees C, at 10:05:07.
inline TLogRowInputs HourOfDilution()
{
    TLogRowInputs in;
    in.Time = 46365.0 + (10 * 3600 + 5 * 60 + 7) / SecondsPerDay;
    in.MixerState = TMixerState::Dilution;
    in.MixingMethod = "A (constant) in B";
    in.TotalizerA = 0.012345;
    in.TotalizerB = 10.0;
    in.H2OTime = 1.0 / 24.0;
    in.DesiredFlowBGramsperMinute = 1.0;
    in.pH2O = 0.0312733;
    in.GasA = "O2";
    in.GasB = "Ar";
    in.H2OMolarMass = 18.01528f;
    return in;
}

// A row of that dilution `second` seconds later, in `state`.
inline TLogRowValues RowAt(TMixerState state, double second, const std::string& method = "A (constant) in B")
{
    TLogRowInputs in = HourOfDilution();
    in.MixerState = state;
    in.MixingMethod = method;
    in.Time += second / SecondsPerDay;
    return ComputeLogRow(in);
}
