#include "log_row.h"

#include "compounds.h"
#include "time_units.h"

TLogRowValues ComputeLogRow(const TLogRowInputs& in)
{
    TLogRowValues row;
    auto put = [&row](TProperty p, double value) {
        row.Numbers[NumberIndex(p)] = value;
        row.Written |= PropertyBit(p);
    };

    row.Time = in.Time;
    row.Mode = MixerStateName(in.MixerState);
    row.Method = in.MixerState == TMixerState::Dilution ? in.MixingMethod : std::string();
    row.Written |= PropertyBit(TProperty::Time) | PropertyBit(TProperty::Mode) | PropertyBit(TProperty::Method);

    put(TProperty::GasA, in.TotalizerA);
    put(TProperty::GasB, in.TotalizerB);

    // Until both gases are chosen (a gas click sets the mixer to Standby
    // before the other gas is picked) the masses cannot be turned into water,
    // moles or fractions: the row records the state and the masses only.
    if (in.GasA.empty() || in.GasB.empty())
        return row;

    // Water: the grams of gas B that went through the bubbler, as moles,
    // each carrying the water of a saturated stream.
    const double bubbledGramsB = in.BubbledGramsB.value_or(in.H2OTime * MinutesPerDay * in.DesiredFlowBGramsperMinute);
    const double molesB = GetMolesPerGram(in.GasB) * bubbledGramsB;
    const double molesWater = molesB * WaterPerMoleOfSaturatedGas(in.pH2O);
    const double waterGrams = in.H2OMolarMass * molesWater;
    put(TProperty::H2O, waterGrams);

    const double totalMass = in.TotalizerA + in.TotalizerB + waterGrams;
    put(TProperty::TOTg, totalMass);
    if (totalMass > 0) {
        put(TProperty::GfracA, in.TotalizerA / totalMass);
        put(TProperty::GfracB, in.TotalizerB / totalMass);
        put(TProperty::GfracH2O, waterGrams / totalMass);
    }

    const double MA = GetMolesPerGram(in.GasA) * in.TotalizerA;
    const double MB = GetMolesPerGram(in.GasB) * in.TotalizerB;
    const double MH2O = GetMolesPerGram("H2O") * waterGrams;
    put(TProperty::MA, MA);
    put(TProperty::MB, MB);
    put(TProperty::MH2O, MH2O);

    const double totalMoles = MA + MB + MH2O;
    put(TProperty::TOTm, totalMoles);
    if (totalMoles > 0) {
        put(TProperty::ppmA, MA / totalMoles * 1000000);
        put(TProperty::ppmB, MB / totalMoles * 1000000);
        put(TProperty::ppmH2O, MH2O / totalMoles * 1000000);
    }
    return row;
}

double WaterPerMoleOfSaturatedGas(double pH2O)
{
    if (!(pH2O >= 0.0 && pH2O < 1.0))
        return 0.0;
    return pH2O / (1.0 - pH2O);
}

TLogRowValues ResetMarkerRow()
{
    TLogRowValues row;
    row.Mode = "Reset";
    row.Written = PropertyBit(TProperty::Mode);
    return row;
}

TLogRowValues AlarmRow(double time, const std::string& cause)
{
    TLogRowValues row;
    row.Time = time;
    row.Mode = "Alarm";
    row.Method = cause;
    row.Written = PropertyBit(TProperty::Time) | PropertyBit(TProperty::Mode) | PropertyBit(TProperty::Method);
    return row;
}

TLogRowValues MarkRow(double time, const std::string& text)
{
    TLogRowValues row = AlarmRow(time, text);
    row.Mode = "Mark";
    return row;
}
