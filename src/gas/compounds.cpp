#include "compounds.h"

namespace {

TCompound Single(const char* name, const char* longName, float molarMass)
{
    TCompound c;
    c.Name = name;
    c.LongName = longName;
    c.MolarMass = molarMass;
    return c;
}

TCompound Mix(const char* name, float molarMass, const char* c1, float f1, const char* c2, float f2,
              const char* c3 = "", float f3 = 0.0f)
{
    TCompound c = Single(name, name, molarMass);
    c.Mixture = true;
    c.C1Name = c1;
    c.C1VFraction = f1;
    c.C2Name = c2;
    c.C2VFraction = f2;
    c.C3Name = c3;
    c.C3VFraction = f3;
    return c;
}

}  // namespace

const std::array<TCompound, 15> Compounds = {
    Mix("5%H2,95%Ar", 38.0513f, "H2", 0.05f, "Ar", 0.95f),
    Mix("Air", 28.9495f, "N2", 0.78084f, "O2", 0.20946f, "Ar", 0.00934f),
    Single("Ar", "Argon", 39.948f),
    Single("CO", "Carbon monoxide", 28.0101f),
    Single("CO2", "Carbon dioxide", 44.0095f),
    Single("H2", "Hydrogen", 2.01588f),
    Single("H2O", "Water", 18.01528f),
    Single("He", "Helium", 4.002602f),
    Single("N2", "Nitrogen", 28.0134f),
    Single("O2", "Oxygen", 31.9988f),
    Single("C", "Carbon single", 12.0107f),
    Single("H", "Hydrogen single", 1.00794f),
    Single("N", "Nitrogen single", 14.0067f),
    Single("O", "Oxygen single", 15.9994f),
    TCompound{},
};

TCompound GetCompound(const std::string& SearchFor)
{
    for (const TCompound& c : Compounds) {
        if (c.Name == SearchFor)
            return c;
    }
    throw CompoundLookupError("Molar mass could not be found for search item '" + SearchFor
                              + "' It is not recommended to continue the program before the problem is fixed");
}

float GetMolesPerGram(const std::string& SearchFor)
{
    const TCompound c = GetCompound(SearchFor);
    if (!(c.MolarMass > 0.0f)) {
        // Only the empty entry has no molar mass; 1/0 would be infinity.
        throw CompoundLookupError("Moles per gram cannot be computed for search item '" + SearchFor
                                  + "': the entry has no molar mass");
    }
    return static_cast<float>(1.0L / static_cast<long double>(c.MolarMass));
}

float GetH2OPressureATM(float TemperatureInC)
{
    constexpr long double a = 0.00600131607517L;
    constexpr long double b = 0.000440243970154L;
    constexpr long double c = 1.41074334293e-05L;
    constexpr long double d = 2.63232511023e-07L;
    constexpr long double e = 2.74056279733e-09L;
    constexpr long double f = 2.71607801742e-11L;
    const long double x = static_cast<double>(TemperatureInC);
    const long double x2 = x * x;
    const long double x3 = x2 * x;
    const long double x4 = x3 * x;
    const long double x5 = x4 * x;
    const long double sum = a + b * x + c * x2 + d * x3 + e * x4 + f * x5;
    return static_cast<float>(sum);
}
