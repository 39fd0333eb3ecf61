#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The fourteen ways the planner mixes the two gases, and None before any
// plan. Their names are texts of the log's Method column and the plan
// report; the code compares the values.
enum class TMixingMethod : std::uint8_t {
    None,
    AConstantInB,
    AInBLimited,
    APulseInB,
    AConstantInBH2O,
    AInBH2OLimited,
    APulseInBH2O,
    BConstantInA,
    BInALimited,
    BPulseInA,
    BH2OConstantInA,
    BH2OInALimited,
    BH2OPulseInA,
    APure,
    BPure,
};

// "A (constant) in B" and the others as the log and the report write them;
// "" for None.
std::string_view MixingMethodName(TMixingMethod method);
// The method of a name, compared exactly (case and spaces count).
std::optional<TMixingMethod> MixingMethodFromName(std::string_view name);

// Gas A (gas B) goes in pulses: its planned flow is below its controller's
// minimum.
bool GasAPulsed(TMixingMethod method);
bool GasBPulsed(TMixingMethod method);
// Gas B passes through the bubbler for a share of the time.
bool Humidified(TMixingMethod method);
