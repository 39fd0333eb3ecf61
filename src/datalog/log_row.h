#pragma once

#include "columns.h"
#include "mixer_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What one log row is computed from: the window's variables at the moment
// the row is stored.
struct TLogRowInputs {
    double Time = 0;  // wall-clock day count shown in the Time cell
    TMixerState MixerState = TMixerState::Unknown;
    std::string MixingMethod;  // shown only in Dilution
    double TotalizerA = 0;     // grams of gas A since the totalizer reset
    double TotalizerB = 0;     // grams of gas B
    double H2OTime = 0;        // days gas B spent in the bubbler
    double DesiredFlowBGramsperMinute = 0;
    // Grams of gas B that passed the bubbler when they were counted (pulsed
    // gas B); otherwise H2OTime at DesiredFlowBGramsperMinute.
    std::optional<double> BubbledGramsB;
    double pH2O = 0;         // vapour pressure at the bubbler, atm
    std::string GasA;        // name of the chosen gas A
    std::string GasB;        // name of the chosen gas B
    float H2OMolarMass = 0;  // molar mass of water, g/mol
};

// Number of numeric columns (GasA .. ppmH2O).
inline constexpr int LogNumberCount = PropertyCount - 3;

inline constexpr std::uint32_t PropertyBit(TProperty p)
{
    return std::uint32_t{1} << static_cast<int>(p);
}

inline constexpr bool IsNumberProperty(TProperty p)
{
    return static_cast<int>(p) >= static_cast<int>(TProperty::GasA);
}

inline constexpr int NumberIndex(TProperty p)
{
    return static_cast<int>(p) - static_cast<int>(TProperty::GasA);
}

// The cells of one row. Only the cells whose bit is set in Written are
// stored; the others keep what the table row held before.
struct TLogRowValues {
    double Time = 0;
    std::string Mode;
    std::string Method;
    std::array<double, LogNumberCount> Numbers{};
    std::uint32_t Written = 0;

    double Number(TProperty p) const { return Numbers[NumberIndex(p)]; }
    bool Has(TProperty p) const { return (Written & PropertyBit(p)) != 0; }
};

// One row describing the moment: masses of gas A, gas B and the water the
// bubbler carried (gas B saturated at pH2O: pH2O / (1 - pH2O) moles of water
// per mole), their total, mass fractions, moles and mole fractions in ppm. Fractions are left out while the total mass
// is not above 0, ppm while the total moles are not; with a gas not chosen yet (an empty name) only the time, state,
// method and the two masses are written. Raises CompoundLookupError for an unknown gas.
TLogRowValues ComputeLogRow(const TLogRowInputs& in);

// Moles of water per mole of a gas saturated at vapour pressure `pH2O` (atm)
// at about 1 atm: pH2O / (1 - pH2O); 0 for a pressure outside [0, 1).
double WaterPerMoleOfSaturatedGas(double pH2O);

// The marker row a planning run leaves: "Reset" in the Mode cell only.
TLogRowValues ResetMarkerRow();

// The row an alarm leaves: its time, "Alarm" in the Mode cell and the cause
// in the Method cell.
TLogRowValues AlarmRow(double time, const std::string& cause);

// The row a mark leaves (an acquisition lined up with the mixture): its
// time, "Mark" in the Mode cell and the text in the Method cell.
TLogRowValues MarkRow(double time, const std::string& text);
