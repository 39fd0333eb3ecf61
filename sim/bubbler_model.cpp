#include "bubbler_model.h"

#include <cmath>

namespace {

constexpr double WaterMolarMass = 18.015;  // g/mol
constexpr double CriticalKelvin = 647.096;
constexpr double CriticalPascal = 22.064e6;
constexpr double PascalPerAtm = 101325.0;

}  // namespace

double SaturationPressureAtm(double celsius)
{
    const double kelvin = celsius + 273.15;
    const double t = 1.0 - kelvin / CriticalKelvin;
    const double sum = -7.85951783 * t + 1.84408259 * std::pow(t, 1.5) - 11.7866497 * std::pow(t, 3.0)
        + 22.6807411 * std::pow(t, 3.5) - 15.9618719 * std::pow(t, 4.0) + 1.80122502 * std::pow(t, 7.5);
    return CriticalPascal * std::exp(CriticalKelvin / kelvin * sum) / PascalPerAtm;
}

bool BubblerModel::Bubbles(std::uint8_t pattern)
{
    constexpr std::uint8_t V1 = 1, V2 = 2, V3 = 4, V4 = 8;
    return (pattern & (V1 | V2 | V3 | V4)) == (V1 | V2);
}

void BubblerModel::Pass(double grams, double molarMass, double celsius)
{
    if (!(grams > 0.0) || !(molarMass > 0.0))
        return;
    const double p = SaturationPressureAtm(celsius);
    gasGrams_ += grams;
    if (p > 0.0 && p < 1.0)
        waterMoles_ += grams / molarMass * p / (1.0 - p) * SaturationEfficiency;
}

double BubblerModel::WaterGrams() const
{
    return waterMoles_ * WaterMolarMass;
}
