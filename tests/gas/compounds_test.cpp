#include "compounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(Compounds, LookUpFindsExactNamesOnly)
{
    struct Case {
        std::string name;
        bool found;
        std::string longName;
        float molarMass;
        bool mixture;
    };
    const Case cases[] = {
        {"O2", true, "Oxygen", 31.9988f, false},
        {"Ar", true, "Argon", 39.948f, false},
        {"N2", true, "Nitrogen", 28.0134f, false},
        {"H2O", true, "Water", 18.01528f, false},
        {"5%H2,95%Ar", true, "5%H2,95%Ar", 38.0513f, true},
        {"Air", true, "Air", 28.9495f, true},
        {"He", true, "Helium", 4.002602f, false},
        {"O", true, "Oxygen single", 15.9994f, false},
        {"", true, "", 0.0f, false},
        {"o2", false, "", 0, false},
        {" O2", false, "", 0, false},
        {"O2 ", false, "", 0, false},
        {"NAN", false, "", 0, false},
        {"5%H2", false, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.name + "'");
        if (c.found) {
            const TCompound comp = GetCompound(c.name);
            EXPECT_EQ(comp.Name, c.name);
            EXPECT_EQ(comp.LongName, c.longName);
            EXPECT_EQ(comp.MolarMass, c.molarMass);
            EXPECT_EQ(comp.Mixture, c.mixture);
        } else {
            try {
                GetCompound(c.name);
                ADD_FAILURE() << "no error raised";
            } catch (const CompoundLookupError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "Molar mass could not be found for search item '" + c.name
                              + "' It is not recommended to continue the program before the problem is fixed");
            }
        }
    }
}

TEST(Compounds, MixturesListTheirComponentsAndEmptySlots)
{
    const TCompound h = GetCompound("5%H2,95%Ar");
    EXPECT_EQ(h.C1Name, "H2");
    EXPECT_EQ(h.C1VFraction, 0.05f);
    EXPECT_EQ(h.C2Name, "Ar");
    EXPECT_EQ(h.C2VFraction, 0.95f);
    EXPECT_EQ(h.C3Name, "");
    EXPECT_EQ(h.C3VFraction, 0.0f);
    EXPECT_EQ(h.C4Name, "");
    EXPECT_EQ(h.C4VFraction, 0.0f);

    const TCompound air = GetCompound("Air");
    EXPECT_EQ(air.C3Name, "Ar");
    EXPECT_EQ(air.C3VFraction, 0.00934f);
}

TEST(Compounds, TableInvariants)
{
    // Every component is itself an entry, and the fractions of a mixture
    // add up to one; the stored molar mass matches its components.
    for (const TCompound& c : Compounds) {
        SCOPED_TRACE(c.Name);
        if (!c.Mixture) {
            EXPECT_TRUE(c.C1Name.empty() && c.C2Name.empty() && c.C3Name.empty() && c.C4Name.empty());
            continue;
        }
        const std::pair<std::string, float> parts[] = {
            {c.C1Name, c.C1VFraction}, {c.C2Name, c.C2VFraction}, {c.C3Name, c.C3VFraction}, {c.C4Name, c.C4VFraction}};
        double sum = 0, mass = 0;
        for (const auto& [name, fraction] : parts) {
            const TCompound part = GetCompound(name);  // throws if missing
            sum += fraction;
            mass += part.MolarMass * fraction;
        }
        EXPECT_NEAR(sum, 1.0, 1e-3);  // air leaves out its traces of CO2 and the rest
        EXPECT_NEAR(mass, c.MolarMass, 0.01);
    }
    EXPECT_EQ(Compounds.back().Name, "");
    EXPECT_EQ(Compounds.back().MolarMass, 0.0f);
}

TEST(Compounds, MolesPerGram)
{
    EXPECT_FLOAT_EQ(GetMolesPerGram("H2O"), 1.0f / 18.01528f);
    EXPECT_NEAR(GetMolesPerGram("H2O"), 0.0555084, 1e-7);
    EXPECT_FLOAT_EQ(GetMolesPerGram("Ar"), 1.0f / 39.948f);
    EXPECT_THROW(GetMolesPerGram("Xe"), CompoundLookupError);
}

TEST(Compounds, MolesPerGramOfTheEmptyEntryIsAnErrorNotInfinity)
{
    try {
        const float v = GetMolesPerGram("");
        ADD_FAILURE() << "returned " << v;
    } catch (const CompoundLookupError& e) {
        EXPECT_NE(std::string(e.what()).find("search item ''"), std::string::npos) << e.what();
    }
}

TEST(Compounds, WaterVapourPressure)
{
    struct Case {
        float celsius;
        float atm;
        float tolerance;
    };
    const Case cases[] = {
        {0.0f, 0.00600132f, 5e-9f}, {20.0f, 0.0230804f, 5e-8f},   {25.0f, 0.0312733f, 5e-8f},
        {100.0f, 0.999997f, 1e-6f}, {-10.0f, 0.00277108f, 5e-9f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.celsius);
        EXPECT_NEAR(GetH2OPressureATM(c.celsius), c.atm, c.tolerance);
    }
    EXPECT_NEAR(GetH2OPressureATM(100.0f), 1.0f, 5e-6f);
    // No clamping: the polynomial is evaluated whatever the temperature.
    EXPECT_GT(GetH2OPressureATM(189.0f), 10.0f);
}
