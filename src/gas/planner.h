#pragma once

#include "compounds.h"
#include "feasibility.h"
#include "flow_info.h"
#include "mixing_method.h"

#include <cstdint>
#include <string>
#include <vector>

// What the planner is asked: the requested ppm of gas A (a), gas B (b) and
// water (w), the two gases by table name, and the controllers' ranges; the
// water vapour pressure at the bubbler (atm), for judging water carried by
// pulses of gas B (0 when not known: that water is not judged).
struct TPlanRequest {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t w = 0;
    std::string GasA;
    std::string GasB;
    TFlowInfo FIA;
    TFlowInfo FIB;
    double pH2O = 0;
};

// One listed component of a mixture gas: its partial pressure in ppm and its
// mass fraction in ppm of mass.
struct TPlanComponent {
    std::string Name;
    long double Ppm = 0;           // a * f for gas A; Temp (a Single) for gas B
    long double MassFraction = 0;  // M(name) * Ppm / TotalMass
};

// Everything a planning run works out: the outputs the mixer uses and the
// working quantities the report shows.
struct TPlanResult {
    // The request, as planned.
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t w = 0;
    TFlowInfo FIA;
    TFlowInfo FIB;

    // The two gases; B carries the water when w > 0 (its LongName then ends
    // in " with H2O").
    TCompound A;
    TCompound B;
    std::vector<TPlanComponent> ComponentsA;  // listed only when A is a mixture
    std::vector<TPlanComponent> ComponentsB;  // listed only when B is a mixture

    double TotalMass = 0;       // mean molar mass of the mixture, g/mol
    double H2OFractionOfB = 0;  // w / b, 0 without water or gas B
    long double mA = 0;         // mass fraction of gas A, ppm of mass
    long double mB = 0;         // mass fraction of gas B (with its water), ppm of mass
    std::int32_t MaxMassFraction = 0;
    float AFractioOfFlowB = 0;
    long double DryShareOfB = 0;  // dry gas B's mass relative to MaxMassFraction
    float TotalFlowB = 0;         // g/min, before any time scale
    float TempScale = 1;          // common divisor of a limited plan
    float TimeScaleA = 1;
    float TimeScaleB = 1;
    float mlA = 0;  // ml/min at 25 degrees C
    float mlB = 0;

    // Outputs for the mixer.
    TMixingMethod MixingMethod = TMixingMethod::None;
    double DesiredFlowAGramsperMinute = 0;
    double DesiredFlowBGramsperMinute = 0;
    double H2OFractioninB = 0;

    // Whether the controllers can deliver the plan within tolerance.
    TPlanFeasibility Feasibility;
};

// Chooses the mixing method and the two flows. The gas that dominates by mass
// runs at its controller's maximum and the other gets the flow of the wanted
// mass ratio; above its controller's maximum both are scaled down
// ("limited"), below its minimum it is pulsed ("pulse"); a pulsed plan is
// judged for how long its pulses need to average within tolerance. Raises
// CompoundLookupError for a name not in the table and FloatingPointError
// where a controller range of 0 would divide by zero.
TPlanResult CalculatePlan(const TPlanRequest& request);
// The method and the flows alone, not judged.
TPlanResult CalculatePlanFlows(const TPlanRequest& request);
