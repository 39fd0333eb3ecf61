#include "mixing_methods.h"

TMethodSteps StepsOfMethod(TMixingMethod method, const TDeliveryRules& rules)
{
    if (method == TMixingMethod::None)
        return {};
    // The pure gases run the constant steps: the other gas's set-point is 0.
    TMethodSteps steps{true, GasAPulsed(method), GasBPulsed(method)};
    if (method == TMixingMethod::APulseInBH2O && !rules.GasAPulsesWithWater)
        steps.PulseGasA = false;
    return steps;
}
