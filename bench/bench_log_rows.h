#pragma once
// The row the tick would store `second` seconds into a humidified dilution
// of oxygen in argon, with an "H2O pulse" row every 97 seconds.
#include "log_row.h"
#include "time_units.h"

inline TLogRowValues BenchLogRowAt(int second, const char* method)
{
    TLogRowInputs in;
    in.Time = 46365.0 + second / SecondsPerDay;
    in.MixerState = TMixerState::Dilution;
    in.MixingMethod = second % 97 == 0 ? "H2O pulse" : method;
    in.TotalizerA = 0.00012017 / 60.0 * second;
    in.TotalizerB = 1.0 / 60.0 * second;
    in.H2OTime = second * 0.3 / SecondsPerDay;
    in.DesiredFlowBGramsperMinute = 1.0;
    in.pH2O = 0.0312733;
    in.GasA = "O2";
    in.GasB = "Ar";
    in.H2OMolarMass = 18.01528f;
    return ComputeLogRow(in);
}
