#include "planner.h"

#include "float_checks.h"
#include "rounding.h"

#include <limits>

namespace {

using Extended = long double;

float MolarMassOf(const std::string& name)
{
    return GetCompound(name).MolarMass;
}

// Adds water to gas B as one more component: the dry components shrink by
// 1 + h and water takes the first free slot.
void Humidify(TCompound& B, double h)
{
    B.Mixture = true;
    B.C1VFraction = static_cast<float>(B.C1VFraction / (1.0L + h));
    B.C2VFraction = static_cast<float>(B.C2VFraction / (1.0L + h));
    B.C3VFraction = static_cast<float>(B.C3VFraction / (1.0L + h));
    if (B.C1Name.empty()) {
        B.C1Name = B.Name;
        B.C1VFraction = static_cast<float>(1.0L - h);
        B.C2Name = "H2O";
        B.C2VFraction = static_cast<float>(h);
    } else if (B.C3Name.empty()) {
        B.C3Name = "H2O";
        B.C3VFraction = static_cast<float>(h);
    } else if (B.C4Name.empty()) {
        B.C4Name = "H2O";
        B.C4VFraction = static_cast<float>(h);
    }
    const Extended mass = Extended(MolarMassOf(B.C1Name)) * B.C1VFraction
        + Extended(MolarMassOf(B.C2Name)) * B.C2VFraction + Extended(MolarMassOf(B.C3Name)) * B.C3VFraction
        + Extended(MolarMassOf(B.C4Name)) * B.C4VFraction;
    B.MolarMass = static_cast<float>(mass);
    B.LongName += " with H2O";
}

// The listed components of a mixture: 1 and 2, and 3 when named. The fourth
// slot is never listed.
struct Slot {
    const std::string& name;
    float fraction;
};
std::vector<Slot> ListedSlots(const TCompound& c)
{
    std::vector<Slot> listed{{c.C1Name, c.C1VFraction}, {c.C2Name, c.C2VFraction}};
    if (!c.C3Name.empty())
        listed.push_back({c.C3Name, c.C3VFraction});
    return listed;
}

std::int32_t RoundToInteger(Extended x)
{
    const Extended r = RoundHalfEven(x);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        throw FloatingPointError("Invalid floating point operation");
    return static_cast<std::int32_t>(r);
}

}  // namespace

TPlanResult CalculatePlanFlows(const TPlanRequest& request)
{
    TPlanResult p;
    p.a = request.a;
    p.b = request.b;
    p.w = request.w;
    p.FIA = request.FIA;
    p.FIB = request.FIB;
    const Extended a = request.a;
    const Extended b = request.b;
    const Extended w = request.w;
    const bool water = request.w != 0;

    p.A = GetCompound(request.GasA);
    p.B = GetCompound(request.GasB);
    p.H2OFractioninB = static_cast<double>(w / 1000000.0L);
    if (request.w > 0)
        Humidify(p.B, p.H2OFractioninB);

    // Composition: ppm times molar mass over the listed components.
    double totalMass = 0;
    if (p.A.Mixture) {
        for (const Slot& s : ListedSlots(p.A)) {
            const Extended ppm = a * s.fraction;
            totalMass = static_cast<double>(totalMass + MolarMassOf(s.name) * ppm);
            p.ComponentsA.push_back({s.name, ppm, 0});
        }
    } else {
        totalMass = static_cast<double>(totalMass + a * p.A.MolarMass);
    }
    if (p.B.Mixture) {
        for (const Slot& s : ListedSlots(p.B)) {
            const float temp = static_cast<float>((b + w) * s.fraction);
            totalMass = static_cast<double>(totalMass + Extended(MolarMassOf(s.name)) * temp);
            p.ComponentsB.push_back({s.name, temp, 0});
        }
    } else {
        totalMass = static_cast<double>(totalMass + b * p.B.MolarMass);
    }
    p.H2OFractionOfB = request.w > 0 && request.b > 0 ? static_cast<double>(w / b) : 0.0;
    p.TotalMass = static_cast<double>(totalMass / 1000000.0L);

    // Mass fractions, ppm of mass.
    const Extended total = p.TotalMass;
    p.mA = CheckedDivide(a * p.A.MolarMass, total);
    for (TPlanComponent& c : p.ComponentsA)
        c.MassFraction = MolarMassOf(c.Name) * c.Ppm / total;
    p.mB = (b + w) * p.B.MolarMass / total;
    for (TPlanComponent& c : p.ComponentsB)
        c.MassFraction = MolarMassOf(c.Name) * c.Ppm / total;

    // The dominant gas by mass. Gas B is tested on its dry share b but, when
    // it wins, takes its value with the water.
    std::int32_t maxMass = 0;
    if (RoundToInteger(p.mA) > maxMass)
        maxMass = RoundToInteger(p.mA);
    if (RoundToInteger(b * p.B.MolarMass / total) > maxMass)
        maxMass = RoundToInteger(p.mB);
    p.MaxMassFraction = maxMass;

    p.AFractioOfFlowB = static_cast<float>(CheckedDivide(p.mA, maxMass));
    const Extended dryMolarMassB = MolarMassOf(p.B.Name);
    p.DryShareOfB = dryMolarMassB * b / total / maxMass;

    const TFlowInfo& FIA = request.FIA;
    const TFlowInfo& FIB = request.FIB;
    double flowA = 0;
    if (p.DryShareOfB < Extended(p.AFractioOfFlowB)) {
        // Gas A dominates: it runs at full scale and gas B is dosed into it.
        p.MixingMethod = water ? TMixingMethod::BH2OConstantInA : TMixingMethod::BConstantInA;
        flowA = FIA.Max;
        p.TotalFlowB = static_cast<float>(dryMolarMassB * (b * FIA.Max) / total / maxMass);
        if (p.TotalFlowB > FIB.Max) {
            p.MixingMethod = water ? TMixingMethod::BH2OInALimited : TMixingMethod::BInALimited;
            p.TempScale = static_cast<float>(CheckedDivide(p.TotalFlowB, FIB.Max));
            flowA = static_cast<double>(flowA / Extended(p.TempScale));
            p.TotalFlowB = static_cast<float>(p.TotalFlowB / Extended(p.TempScale));
        }
        if (p.TotalFlowB < FIB.Min) {
            p.MixingMethod = water ? TMixingMethod::BH2OPulseInA : TMixingMethod::BPulseInA;
            p.TimeScaleB = static_cast<float>(CheckedDivide(p.TotalFlowB, FIB.Min));
        }
    } else {
        // Gas B dominates: it runs at full scale and gas A is dosed into it.
        p.MixingMethod = water ? TMixingMethod::AConstantInBH2O : TMixingMethod::AConstantInB;
        p.TotalFlowB = FIB.Max;
        flowA = static_cast<double>(Extended(FIB.Max) * p.AFractioOfFlowB);
        // Controller B meters dry gas B; the water is added after it. Gas A
        // takes its mass ratio to the dry gas B (MaxMassFraction counts gas
        // B with its water), or the mixture would be short of gas A by the
        // water's share of gas B's mass, 1.3 % at 20 000 ppm in nitrogen.
        if (request.w > 0)
            flowA = static_cast<double>(CheckedDivide(Extended(FIB.Max) * p.AFractioOfFlowB, p.DryShareOfB));
        if (flowA > FIA.Max) {
            p.MixingMethod = water ? TMixingMethod::AInBH2OLimited : TMixingMethod::AInBLimited;
            p.TempScale = static_cast<float>(CheckedDivide(flowA, FIA.Max));
            flowA = static_cast<double>(flowA / Extended(p.TempScale));
            p.TotalFlowB = static_cast<float>(p.TotalFlowB / Extended(p.TempScale));
        }
        if (flowA < FIA.Min) {
            p.MixingMethod = water ? TMixingMethod::APulseInBH2O : TMixingMethod::APulseInB;
            p.TimeScaleA = static_cast<float>(CheckedDivide(flowA, FIA.Min));
        }
    }
    if (request.a == 1000000)
        p.MixingMethod = TMixingMethod::APure;
    if (request.b == 1000000)
        p.MixingMethod = TMixingMethod::BPure;

    // Either gas keeps its average flow: a pulsed gas's pulses meter against
    // it. (Its time scale times that flow would deliver only that share of
    // the gas.)
    p.DesiredFlowAGramsperMinute = flowA;
    p.DesiredFlowBGramsperMinute = p.TotalFlowB;

    p.mlA = static_cast<float>(CheckedDivide(Extended(p.TimeScaleA) * flowA, p.A.MolarMass) * 24.0L * 1000);
    p.mlB = static_cast<float>(CheckedDivide(Extended(p.TimeScaleB) * p.TotalFlowB, p.B.MolarMass) * 24.0L * 1000);
    return p;
}

TPlanResult CalculatePlan(const TPlanRequest& request)
{
    TPlanResult p = CalculatePlanFlows(request);
    p.Feasibility = AssessFeasibility(request, p);
    return p;
}
