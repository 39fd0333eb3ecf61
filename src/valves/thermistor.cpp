#include "thermistor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double VoltsPerStep = 0.0048828125;  // 5 V / 1024
constexpr double SupplyVolt = 5.0;
constexpr double UpperOhm = 10000.0;

}  // namespace

int DacFromReply(unsigned char high, unsigned char low)
{
    return high * 256 + low;
}

double ThermistorTemperatureC(double ohm)
{
    const long double x = std::pow(static_cast<long double>(ohm), 0.459764902059L);
    return static_cast<double>((6283.0899408029090374L - 54.859166561L * x) / (x + 33.2268710113L));
}

std::optional<TThermistorReading> ThermistorFromDac(int dac)
{
    if (dac < 0 || dac >= 1024)
        return std::nullopt;
    TThermistorReading r;
    r.Dac = dac;
    r.Volt = dac * VoltsPerStep;
    r.Ohm = (r.Volt / SupplyVolt * UpperOhm) / (1.0 - r.Volt / SupplyVolt);
    r.TemperatureC = ThermistorTemperatureC(r.Ohm);
    if (!(r.TemperatureC > 0.0 && r.TemperatureC < 100.0))
        return std::nullopt;
    return r;
}

double ConverterStepC(int dac)
{
    const std::optional<TThermistorReading> here = ThermistorFromDac(dac);
    if (!here)
        return 0.0;
    double step = 0.0;
    for (const int next : {dac - 1, dac + 1})
        if (const std::optional<TThermistorReading> there = ThermistorFromDac(next))
            step = std::max(step, std::fabs(there->TemperatureC - here->TemperatureC));
    return step;
}

double ConverterStepAtC(double celsius)
{
    int nearest = -1;
    double best = 0.0;
    for (int dac = 0; dac < 1024; ++dac)
        if (const std::optional<TThermistorReading> r = ThermistorFromDac(dac)) {
            const double off = std::fabs(r->TemperatureC - celsius);
            if (nearest < 0 || off < best) {
                nearest = dac;
                best = off;
            }
        }
    return nearest < 0 ? 0.0 : ConverterStepC(nearest);
}
