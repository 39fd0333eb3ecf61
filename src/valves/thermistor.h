#pragma once

#include <optional>
#include <string>

// The bubbler thermistor is the lower leg of a divider with a 10 kOhm upper
// resistor on the board's 5 V reference, read by a 10-bit converter.

// The reading built from the converter's count.
struct TThermistorReading {
    int Dac = 0;                // 0..1023 for a sound reading
    double Volt = 0.0;          // divider voltage
    double Ohm = 0.0;           // thermistor resistance
    double TemperatureC = 0.0;  // bubbler temperature
};

// Count from the board's two-byte reply, high byte first.
int DacFromReply(unsigned char high, unsigned char low);

// Voltage, resistance and temperature for a count. Gives nothing for a count
// the divider cannot produce (1024 and above would need an infinite or a
// negative resistance) or whose temperature is not that of liquid water
// (not above 0 and below 100 degrees Celsius: a shorted or open thermistor).
std::optional<TThermistorReading> ThermistorFromDac(int dac);

// The temperature for a resistance, without any range check.
double ThermistorTemperatureC(double ohm);

// The temperature one step of the converter spans at `dac` (degrees C, the
// larger of the steps to either side); 0 where no neighbour reads.
double ConverterStepC(int dac);
// The step at the count that reads nearest to `celsius`; 0 when none does.
double ConverterStepAtC(double celsius);
