#include "float_checks.h"
#include "planner.h"

#include "controller_ranges.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TPlanRequest Request(const char* gasA, const char* gasB, std::int32_t a, std::int32_t w, TFlowInfo fia, TFlowInfo fib)
{
    TPlanRequest r;
    r.a = a;
    r.w = w;
    r.b = 1000000 - a - w;
    r.GasA = gasA;
    r.GasB = gasB;
    r.FIA = std::move(fia);
    r.FIB = std::move(fib);
    return r;
}

bool Near(double x, double y, double rel = 1e-6)
{
    return std::fabs(x - y) <= rel * std::max(std::fabs(x), std::fabs(y));
}

}  // namespace

TEST(Planner, OxygenInArgonRunsArgonAtFullScale)
{
    const TPlanResult p = CalculatePlan(
        Request("O2", "Ar", 150, 0, Controller("O2", "Oxygen", 0.1f, 1000), Controller("Ar", "Argon", 1.0f, 100)));
    EXPECT_NEAR(p.TotalMass, 39.94681, 5e-6);
    EXPECT_NEAR(static_cast<double>(p.mA), 120.1553, 1e-4);
    EXPECT_EQ(p.MaxMassFraction, 999880);
    EXPECT_NEAR(p.AFractioOfFlowB, 0.000120170f, 5e-10);
    EXPECT_EQ(MixingMethodName(p.MixingMethod), "A (constant) in B");
    EXPECT_EQ(p.TotalFlowB, 1.0f);
    EXPECT_EQ(p.DesiredFlowBGramsperMinute, 1.0);
    EXPECT_EQ(p.DesiredFlowAGramsperMinute, static_cast<double>(p.AFractioOfFlowB));
    EXPECT_EQ(p.TimeScaleA, 1.0f);
    EXPECT_EQ(p.TimeScaleB, 1.0f);
    EXPECT_EQ(p.H2OFractioninB, 0.0);
    EXPECT_EQ(p.B.LongName, "Argon");
    EXPECT_FALSE(p.B.Mixture);
    EXPECT_NEAR(p.mlA + p.mlB, 600.87, 0.01);
}

TEST(Planner, ChoosesAmongTheFourteenMethods)
{
    enum class Runs { FullA, FullB, LimitedA, LimitedB };
    struct Case {
        const char* gasA;
        const char* gasB;
        std::int32_t a, w;
        float maxA;
        std::uint32_t dynA;
        float maxB;
        std::uint32_t dynB;
        const char* method;
        Runs runs;
    };
    const Case cases[] = {
        // gas A dosed into gas B
        {"O2", "Ar", 150, 0, 0.1f, 1000, 1.0f, 100, "A (constant) in B", Runs::FullB},
        {"O2", "Ar", 150, 0, 0.0001f, 10, 1.0f, 100, "A in B (limited)", Runs::LimitedA},
        {"O2", "Ar", 150, 0, 1.0f, 100, 1.0f, 100, "A (pulse) in B", Runs::FullB},
        {"O2", "Ar", 150, 10000, 0.1f, 1000, 1.0f, 100, "A (constant) in B/H2O", Runs::FullB},
        {"O2", "Ar", 150, 10000, 0.0001f, 10, 1.0f, 100, "A in B/H2O (limited)", Runs::LimitedA},
        {"O2", "N2", 150, 10000, 1.0f, 100, 1.0f, 100, "A (pulse) in B/H2O", Runs::FullB},
        // gas B dosed into gas A
        {"O2", "Ar", 990000, 0, 1.0f, 100, 1.0f, 1000, "B (constant) in A", Runs::FullA},
        {"O2", "Ar", 990000, 0, 1.0f, 100, 0.01f, 1000, "B in A (limited)", Runs::LimitedB},
        {"O2", "Ar", 990000, 0, 1.0f, 100, 1.0f, 10, "B (pulse) in A", Runs::FullA},
        {"O2", "N2", 900000, 20000, 1.0f, 100, 1.0f, 1000, "B/H2O (constant) in A", Runs::FullA},
        {"O2", "N2", 900000, 20000, 1.0f, 100, 0.01f, 1000, "B/H2O in A (limited)", Runs::LimitedB},
        {"O2", "N2", 900000, 20000, 1.0f, 100, 1.0f, 10, "B/H2O (pulse) in A", Runs::FullA},
        // one gas only
        {"O2", "Ar", 1000000, 0, 1.0f, 100, 1.0f, 100, "A pure", Runs::FullA},
        {"O2", "Ar", 0, 0, 1.0f, 100, 1.0f, 100, "B pure", Runs::FullB},
        // the heavier gas dominates at equal shares
        {"O2", "Ar", 500000, 0, 1.0f, 100, 1.0f, 100, "A (constant) in B", Runs::FullB},
        {"CO2", "N2", 500000, 0, 1.0f, 100, 1.0f, 100, "B (constant) in A", Runs::FullA},
        // a mixture gas A
        {"5%H2,95%Ar", "Ar", 10000, 0, 1.0f, 1000, 1.0f, 100, "A (constant) in B", Runs::FullB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " from a=" + std::to_string(c.a) + " w=" + std::to_string(c.w));
        const TPlanRequest r = Request(c.gasA, c.gasB, c.a, c.w, Controller(c.gasA, "", c.maxA, c.dynA),
                                       Controller(c.gasB, "", c.maxB, c.dynB));
        const TPlanResult p = CalculatePlan(r);
        EXPECT_EQ(MixingMethodName(p.MixingMethod), c.method);
        const double flowA = p.DesiredFlowAGramsperMinute;
        switch (c.runs) {
        case Runs::FullA: EXPECT_EQ(flowA, r.FIA.Max); break;
        case Runs::FullB: EXPECT_EQ(p.TotalFlowB, r.FIB.Max); break;
        case Runs::LimitedA:
            EXPECT_TRUE(Near(flowA, r.FIA.Max)) << flowA;
            EXPECT_LT(p.TotalFlowB, r.FIB.Max);
            EXPECT_GT(p.TempScale, 1.0f);
            break;
        case Runs::LimitedB:
            EXPECT_TRUE(Near(p.TotalFlowB, r.FIB.Max)) << p.TotalFlowB;
            EXPECT_LT(flowA, r.FIA.Max);
            EXPECT_GT(p.TempScale, 1.0f);
            break;
        }
        // The pulsed side runs at its controller's minimum for a share of
        // the time; its desired flow is the average its pulses meter against.
        if (std::string(c.method).find("(pulse) in A") != std::string::npos) {
            EXPECT_TRUE(Near(p.TimeScaleB, p.TotalFlowB / r.FIB.Min));
            EXPECT_LT(p.TimeScaleB, 1.0f);
        } else if (MixingMethodName(p.MixingMethod) != "A pure") {
            EXPECT_EQ(p.TimeScaleB, 1.0f);
        }
        if (std::string(c.method).find("A (pulse)") != std::string::npos) {
            EXPECT_TRUE(Near(p.TimeScaleA, flowA / r.FIA.Min));
            EXPECT_LT(p.TimeScaleA, 1.0f);
        }
        EXPECT_EQ(p.DesiredFlowBGramsperMinute, static_cast<double>(p.TotalFlowB));
        // The dry gases go in the ratio asked for, also when gas B carries water.
        const double massA = c.a * GetCompound(c.gasA).MolarMass;
        const double massB = r.b * GetCompound(c.gasB).MolarMass;
        EXPECT_TRUE(Near(flowA * massB, p.TotalFlowB * massA, 1e-5)) << flowA << " " << p.TotalFlowB;
        EXPECT_DOUBLE_EQ(p.H2OFractioninB, c.w / 1e6);
    }
}

TEST(Planner, PureGasesLeaveTheOtherControllerAtZero)
{
    const TFlowInfo fia = Controller("O2", "Oxygen", 1.0f, 100);
    const TFlowInfo fib = Controller("Ar", "Argon", 1.0f, 100);
    const TPlanResult onlyA = CalculatePlan(Request("O2", "Ar", 1000000, 0, fia, fib));
    EXPECT_EQ(MixingMethodName(onlyA.MixingMethod), "A pure");
    EXPECT_EQ(onlyA.DesiredFlowAGramsperMinute, 1.0);
    EXPECT_EQ(onlyA.DesiredFlowBGramsperMinute, 0.0);

    const TPlanResult onlyB = CalculatePlan(Request("O2", "Ar", 0, 0, fia, fib));
    EXPECT_EQ(MixingMethodName(onlyB.MixingMethod), "B pure");
    EXPECT_EQ(onlyB.DesiredFlowAGramsperMinute, 0.0);
    EXPECT_EQ(onlyB.DesiredFlowBGramsperMinute, 1.0);
    EXPECT_EQ(onlyB.TimeScaleA, 0.0f) << "the pulse case stands behind the override";

    // Gas A alone with water requested: gas B is negative and A still wins.
    const TPlanResult wetA = CalculatePlan(Request("O2", "Ar", 1000000, 10000, fia, fib));
    EXPECT_EQ(wetA.b, -10000);
    EXPECT_EQ(MixingMethodName(wetA.MixingMethod), "A pure");
}

TEST(Planner, WaterIsAddedToGasBAsAComponent)
{
    const TPlanResult p = CalculatePlan(
        Request("O2", "Ar", 150, 10000, Controller("O2", "Oxygen", 0.1f, 1000), Controller("Ar", "Argon", 1.0f, 100)));
    const double h = 0.01;
    EXPECT_EQ(p.H2OFractioninB, h);
    EXPECT_DOUBLE_EQ(p.H2OFractionOfB, 10000.0 / 989850.0);
    EXPECT_TRUE(p.B.Mixture);
    EXPECT_EQ(p.B.Name, "Ar");
    EXPECT_EQ(p.B.LongName, "Argon with H2O");
    ASSERT_EQ(p.ComponentsB.size(), 2u);
    EXPECT_EQ(p.ComponentsB[0].Name, "Ar");
    EXPECT_EQ(p.ComponentsB[1].Name, "H2O");
    // (b + w) * (1 - h) and (b + w) * h, held as Single
    EXPECT_EQ(p.ComponentsB[0].Ppm, static_cast<float>(999850.0L * static_cast<float>(1 - h)));
    EXPECT_EQ(p.ComponentsB[1].Ppm, static_cast<float>(999850.0L * static_cast<float>(h)));
    EXPECT_NEAR(p.B.MolarMass, 39.948 * 0.99 + 18.01528 * 0.01, 1e-4);
    EXPECT_NEAR(static_cast<double>(p.mA + p.mB), 1e6, 1.0);

    // A replan without water clears the fraction.
    const TPlanResult dry = CalculatePlan(Request("O2", "Ar", 150, 0, p.FIA, p.FIB));
    EXPECT_EQ(dry.H2OFractioninB, 0.0);
    EXPECT_FALSE(dry.B.Mixture);
}

TEST(Planner, AMixtureGasAListsItsComponents)
{
    const TPlanResult p = CalculatePlan(Request("5%H2,95%Ar", "N2", 20000, 0, Controller("5%H2,95%Ar", "", 1.0f, 100),
                                                Controller("N2", "Nitrogen", 1.0f, 100)));
    ASSERT_EQ(p.ComponentsA.size(), 2u);
    EXPECT_EQ(p.ComponentsA[0].Name, "H2");
    EXPECT_NEAR(static_cast<double>(p.ComponentsA[0].Ppm), 1000.0, 1e-3);
    EXPECT_EQ(p.ComponentsA[1].Name, "Ar");
    EXPECT_NEAR(static_cast<double>(p.ComponentsA[1].Ppm), 19000.0, 1e-2);
    // The mean molar mass counts the components, not the mixture's own mass.
    EXPECT_NEAR(p.TotalMass, (1000 * 2.01588 + 19000 * 39.948 + 980000 * 28.0134) / 1e6, 1e-5);
    EXPECT_NEAR(static_cast<double>(p.ComponentsA[0].MassFraction + p.ComponentsA[1].MassFraction),
                1000 * 2.01588 / p.TotalMass + 19000 * 39.948 / p.TotalMass, 0.01);
    EXPECT_TRUE(p.ComponentsB.empty());
}

TEST(Planner, AFourComponentGasBWithWaterKeepsTheFourthSlotOutOfTheList)
{
    // Air has three components; water goes into the fourth slot, which adds
    // to the molar mass but is never listed.
    const TPlanResult p = CalculatePlan(
        Request("O2", "Air", 150, 10000, Controller("O2", "", 0.1f, 1000), Controller("Air", "", 1.0f, 100)));
    EXPECT_EQ(p.B.C4Name, "H2O");
    ASSERT_EQ(p.ComponentsB.size(), 3u);
    EXPECT_EQ(p.ComponentsB[2].Name, "Ar");
    EXPECT_LT(p.B.MolarMass, 28.9495f);
}

TEST(Planner, MoreGasAAndWaterThanAMillionDosesNegativeGasB)
{
    const TPlanResult p = CalculatePlan(
        Request("O2", "Ar", 990000, 20000, Controller("O2", "", 1.0f, 100), Controller("Ar", "", 1.0f, 100)));
    EXPECT_EQ(p.b, -10000);
    EXPECT_LT(p.DryShareOfB, 0.0L);
    EXPECT_EQ(MixingMethodName(p.MixingMethod), "B/H2O (pulse) in A");
    EXPECT_LT(p.TimeScaleB, 0.0f);
    EXPECT_EQ(p.H2OFractionOfB, 0.0);
}

TEST(Planner, RefusesUnknownGasesAndZeroRanges)
{
    const TFlowInfo fi = Controller("", "", 1.0f, 100);
    EXPECT_THROW(CalculatePlan(Request("Xe", "Ar", 150, 0, fi, fi)), CompoundLookupError);
    EXPECT_THROW(CalculatePlan(Request("O2", "ar", 150, 0, fi, fi)), CompoundLookupError);
    // Gas A dominates and gas B's controller reports no range: limiting it
    // would divide by zero.
    try {
        CalculatePlan(Request("O2", "Ar", 990000, 0, fi, TFlowInfo{}));
        ADD_FAILURE() << "no error";
    } catch (const FloatingPointError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}
