#pragma once

#include <cstdint>

// Saturation vapour pressure of water over liquid water, atm, at `celsius`
// (0 to 100 degrees): the Wagner and Pruss correlation.
double SaturationPressureAtm(double celsius);

// The water bubbler between V1 (inlet from the gas B line) and V2 (outlet
// into the mixing line). Gas B that passes through it leaves as a stream
// saturated at the bubbler's temperature, at about 1 atm: p / (1 - p) moles
// of water per mole of gas B, times the saturation efficiency.
//
// Gas B passes through it when V1 and V2 are open and V3 and V4 closed. With
// V3 (the bypass) or V4 (the dry cross-connection) open as well, gas B takes
// that open line rather than push through the water column, and the bubbler
// adds nothing; with V1 or V2 closed nothing passes.
class BubblerModel {
public:
    double SaturationEfficiency = 1.0;

    // Whether a valve pattern (bit 0 = V1 ... bit 5 = V6) routes gas B
    // through the bubbler.
    static bool Bubbles(std::uint8_t pattern);

    // `grams` of gas B of molar mass `molarMass` (g/mol) passed through at
    // `celsius`.
    void Pass(double grams, double molarMass, double celsius);

    // Gas B that passed, and the water it took up.
    double GasGrams() const { return gasGrams_; }
    double WaterMoles() const { return waterMoles_; }
    double WaterGrams() const;

private:
    double gasGrams_ = 0.0;
    double waterMoles_ = 0.0;
};
