#include "mixing_methods.h"

namespace {

struct TMethodRow {
    std::string_view Name;
    TMethodSteps Steps;
};

constexpr TMethodSteps Constant{true, false, false};
constexpr TMethodSteps PulseA{true, true, false};
constexpr TMethodSteps PulseB{true, false, true};

// The pure gases run the constant steps: the other gas's set-point is 0.
constexpr TMethodRow DispatchTable[] = {
    {"A (constant) in B", Constant},
    {"A in B (limited)", Constant},
    {"A (pulse) in B", PulseA},
    {"A (constant) in B/H2O", Constant},
    {"A in B/H2O (limited)", Constant},
    {"A (pulse) in B/H2O", PulseA},
    {"B (constant) in A", Constant},
    {"B in A (limited)", Constant},
    {"B (pulse) in A", PulseB},
    {"B/H2O (constant) in A", Constant},
    {"B/H2O in A (limited)", Constant},
    {"B/H2O (pulse) in A", PulseB},
    {"A pure", Constant},
    {"B pure", Constant},
};

}  // namespace

TMethodSteps StepsOfMethod(std::string_view method, const TDeliveryRules& rules)
{
    for (const TMethodRow& row : DispatchTable) {
        if (row.Name != method)
            continue;
        TMethodSteps steps = row.Steps;
        if (method == "A (pulse) in B/H2O" && !rules.GasAPulsesWithWater)
            steps.PulseGasA = false;
        return steps;
    }
    return {};
}
