#pragma once

#include <array>
#include <stdexcept>
#include <string>

// One gas or gas mixture of the compound table. A mixture lists up to four
// components by name (keys of the same table) with their volume fractions;
// a single gas leaves the component names empty and the fractions 0.
struct TCompound {
    bool Mixture = false;
    std::string Name;
    std::string LongName;
    float MolarMass = 0.0f;  // g/mol
    std::string C1Name;
    float C1VFraction = 0.0f;
    std::string C2Name;
    float C2VFraction = 0.0f;
    std::string C3Name;
    float C3VFraction = 0.0f;
    std::string C4Name;
    float C4VFraction = 0.0f;
};

// Raised when a name is not in the compound table, or when a table entry
// cannot give what was asked of it (moles per gram of the empty entry).
class CompoundLookupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The fixed table; the last entry is entirely empty so that a look-up of an
// empty component name yields molar mass 0.
extern const std::array<TCompound, 15> Compounds;

// Copy of the first entry whose Name equals SearchFor exactly.
TCompound GetCompound(const std::string& SearchFor);

// Moles per gram (1 / molar mass) of the named compound.
float GetMolesPerGram(const std::string& SearchFor);

// Saturation vapour pressure of water, atm, at a temperature in degrees Celsius.
float GetH2OPressureATM(float TemperatureInC);
