#pragma once

#include "columns.h"
#include "compounds.h"
#include "flow_info.h"
#include "mixing_method.h"
#include "mixer_state.h"
#include "pulse_ledger.h"
#include "records.h"
#include "totalizer.h"

#include <cstdint>
#include <string>

// The mixture asked for: ppm of gas A, gas B (the rest of a million) and
// water, as the Operation page starts.
struct TMixRequest {
    std::int32_t a = 150;
    std::int32_t b = 999850;
    std::int32_t w = 0;
};

// The mixer's variables, with their start values: those of the main
// window's unit, and the request and vapour pressure its fields held. One
// instance lives in the mixer core; the areas take the members they need.
struct TWindowState {
    TMixerState MixerState = TMixerState::Unknown;
    TMixerState MixerStateOld = TMixerState::Unknown;
    double DataStoredLast = 0.0;  // day count of the last stored log row
    TMixingMethod MixingMethod = TMixingMethod::None;

    double DesiredFlowAGramsperMinute = 0.0;
    double DesiredFlowBGramsperMinute = 0.0;
    double PossibleMinFlowAGramsperMinute = 0.0;
    double PossibleMaxFlowAGramsperMinute = 0.0;
    double PossibleMinFlowBGramsperMinute = 0.0;
    double PossibleMaxFlowBGramsperMinute = 0.0;

    TFlowInfo FIA;   // controller 1, gas A
    TFlowInfo FIB;   // controller 2, gas B
    TCompound A;     // the chosen gas A
    TCompound B;     // the chosen gas B
    TCompound H2OC;  // the table entry of water, looked up at start-up

    TTotalizer TotalizerA;
    TTotalizer TotalizerB;

    bool FlowASetToConstant = false;
    bool FlowBSetToConstant = false;
    double DilutionStartTime = 0.0;  // day count
    double H2OTime = 0.0;            // days gas B spent in the bubbler
    double H2OFractioninB = 0.0;
    double H2OFractionOfB = 0.0;  // water per gas B asked for, w / b
    std::int32_t Counter = 0;     // gas A pulses in this plan
    std::int32_t CounterB = 0;    // gas B pulses in this plan
    // The pulses each gas was given since its totalizer was zeroed.
    TPulseLedger PulsesA;
    TPulseLedger PulsesB;

    // The water bookkeeping of a plan, cleared by the planner: the wet path
    // held open from one tick into the next and since when its time was
    // last credited (day count); for pulsed gas B, the grams of gas B that
    // passed the bubbler and controller 2's totalizer at the last decision.
    bool H2OPathHeld = false;
    double H2OHeldSince = 0.0;
    double H2OGramsB = 0.0;
    double H2OLastTotalizerB = 0.0;
    double H2OLastTotalizerBAt = 0.0;  // day count of that reading
    // By the response of controller 2 to its set-points (grams): what it
    // gave up to that reading, through the wet path since then, and up to
    // the start of the open stretch.
    double H2OLastDeliveredB = 0.0;
    double H2OWetSinceReading = 0.0;
    double H2OWetFrom = 0.0;
    bool H2OLastTotalizerBValid = false;

    bool V1O = false;
    bool V2O = false;
    bool V3O = false;
    bool V4O = false;
    bool V5O = false;
    bool V6O = false;

    TMixRequest Request;
    double pH2O = 0.0;  // atm, from the newest sound bubbler reading
    // That reading's temperature (degrees C) and the temperature one step
    // of the converter spans there; 0 before the first sound reading.
    double BubblerC = 0.0;
    double BubblerStepC = 0.0;
    // The lab's records of its sources, controllers and bubbler, used from
    // the next plan on.
    TRecords Records;

    TColumnTable P;  // the 17 log column descriptions
};
