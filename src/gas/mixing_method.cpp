#include "mixing_method.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 15> Names = {
    "",
    "A (constant) in B",
    "A in B (limited)",
    "A (pulse) in B",
    "A (constant) in B/H2O",
    "A in B/H2O (limited)",
    "A (pulse) in B/H2O",
    "B (constant) in A",
    "B in A (limited)",
    "B (pulse) in A",
    "B/H2O (constant) in A",
    "B/H2O in A (limited)",
    "B/H2O (pulse) in A",
    "A pure",
    "B pure",
};

}  // namespace

std::string_view MixingMethodName(TMixingMethod method)
{
    const auto i = static_cast<std::size_t>(method);
    return i < Names.size() ? Names[i] : std::string_view();
}

std::optional<TMixingMethod> MixingMethodFromName(std::string_view name)
{
    for (std::size_t i = 1; i < Names.size(); ++i)
        if (Names[i] == name)
            return static_cast<TMixingMethod>(i);
    return std::nullopt;
}

bool GasAPulsed(TMixingMethod method)
{
    return method == TMixingMethod::APulseInB || method == TMixingMethod::APulseInBH2O;
}

bool GasBPulsed(TMixingMethod method)
{
    return method == TMixingMethod::BPulseInA || method == TMixingMethod::BH2OPulseInA;
}

bool Humidified(TMixingMethod method)
{
    switch (method) {
    case TMixingMethod::AConstantInBH2O:
    case TMixingMethod::AInBH2OLimited:
    case TMixingMethod::APulseInBH2O:
    case TMixingMethod::BH2OConstantInA:
    case TMixingMethod::BH2OInALimited:
    case TMixingMethod::BH2OPulseInA: return true;
    default: return false;
    }
}
