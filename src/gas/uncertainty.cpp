#include "uncertainty.h"

#include "compounds.h"
#include "number_picture.h"
#include "pulse_dosing.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const double Root3 = std::sqrt(3.0);

// The inputs of the delivery model, each at its best estimate or moved by
// its standard uncertainty: the controllers' errors as shares of what they
// deliver (a full-scale offset in g/min), the certified fraction of gas A's
// active component, the bubbler's error of temperature (degrees C), its
// saturation efficiency, and the pulses' graininess as shares.
enum TInput : std::uint8_t {
    ReadingA,
    FullScaleA,
    RepeatabilityA,
    ReadingB,
    FullScaleB,
    RepeatabilityB,
    CertificateA,
    Temperature,
    ConverterStep,
    Efficiency,
    GrainA,
    GrainB,
    GrainWater,
    InputCount
};

const std::array<const char*, InputCount> InputNames = {
    "controller A, accuracy of reading",
    "controller A, accuracy of full scale",
    "controller A, repeatability",
    "controller B, accuracy of reading",
    "controller B, accuracy of full scale",
    "controller B, repeatability",
    "gas A certificate",
    "bubbler temperature",
    "converter step",
    "saturation efficiency",
    "pulses of gas A",
    "pulses of gas B",
    "water pulses",
};

using TPoint = std::array<double, InputCount>;

// One gas as the plan meters it: its average flow (g/min), the set-point
// its controller controls while it flows (a pulse's, for a pulsed gas) and
// its molar mass.
struct TMetered {
    double Rate = 0.0;
    double SetPoint = 0.0;
    double MolarMass = 0.0;
};

// What a plan delivers when the inputs are at `x`: gas A (its active
// component, as gas A of the nominal fraction) and water, in ppm.
struct TDeliveryModel {
    TMetered A;
    TMetered B;
    double NominalFraction = 1.0;
    double WaterPerB = 0.0;  // moles of water per mole of dry gas B planned
    double ReadC = 0.0;      // the temperature the plan's vapour pressure was read at
    double pRead = 0.0;

    static double Carried(double p) { return p / (1.0 - p); }

    std::array<double, 2> Delivered(const TPoint& x) const
    {
        auto flowing = [](const TMetered& g, double reading, double offset, double repeat, double grain) {
            if (!(g.Rate > 0.0))
                return 0.0;
            const double offsetShare = g.SetPoint > 0.0 ? offset / g.SetPoint : 0.0;
            return g.Rate * (1.0 + reading + offsetShare + repeat + grain) / g.MolarMass;
        };
        const double nA = flowing(A, x[ReadingA], x[FullScaleA], x[RepeatabilityA], x[GrainA]);
        const double nB = flowing(B, x[ReadingB], x[FullScaleB], x[RepeatabilityB], x[GrainB]);
        double nW = 0.0;
        if (WaterPerB > 0.0) {
            const double pTrue = GetH2OPressureATM(static_cast<float>(ReadC + x[Temperature] + x[ConverterStep]));
            nW = nB * WaterPerB * Carried(pTrue) / Carried(pRead) * x[Efficiency] * (1.0 + x[GrainWater]);
        }
        const double n = nA + nB + nW;
        if (!(n > 0.0))
            return {0.0, 0.0};
        return {nA / n * 1e6 * x[CertificateA] / NominalFraction, nW / n * 1e6};
    }
};

TDeliveryUncertainty Budget(const TDeliveryModel& model, const TPoint& best, const TPoint& u, int which)
{
    TDeliveryUncertainty d;
    d.ExpectedPpm = model.Delivered(best)[which];
    double sum = 0.0;
    for (int i = 0; i < InputCount; ++i) {
        if (!(u[i] > 0.0))
            continue;
        TPoint up = best;
        TPoint down = best;
        up[i] += u[i];
        down[i] -= u[i];
        const double c = std::fabs(model.Delivered(up)[which] - model.Delivered(down)[which]) / 2.0;
        if (c > 0.0) {
            d.Contributions.push_back({InputNames[i], c});
            sum += c * c;
        }
    }
    d.ExpandedPpm = 2.0 * std::sqrt(sum);
    std::stable_sort(d.Contributions.begin(), d.Contributions.end(),
                     [](const TContribution& l, const TContribution& r) { return l.Ppm > r.Ppm; });
    return d;
}

QString Text(const std::string& s)
{
    return s.empty() ? QStringLiteral("-") : QString::fromStdString(s);
}

QString Percent(double share, const char* picture = "0.00")
{
    return FormatFloat(QString::fromLatin1(picture), 100.0 * share) + QStringLiteral(" %");
}

QString Default(bool confirmed)
{
    return confirmed ? QString() : QStringLiteral(" (default)");
}

// A value's decimals: one below 1000 ppm, none above; `like` gives them.
QString Ppm(double ppm, double like)
{
    return FormatFloat(like < 1000.0 ? QStringLiteral("0.0") : QStringLiteral("0"), ppm);
}

QString Ppm(double ppm)
{
    return Ppm(ppm, ppm);
}

void AddDelivery(QStringList& lines, const QString& what, const TDeliveryUncertainty& d)
{
    lines << QStringLiteral("  ") + what + ValueWithUncertainty(d.ExpectedPpm, d.ExpandedPpm) + QStringLiteral(" ppm")
            + (d.ExpectedPpm > 0.0
                   ? QStringLiteral("  (") + Percent(d.ExpandedPpm / d.ExpectedPpm, "0.0") + QStringLiteral(")")
                   : QString());
    // The largest contributions, each the standard uncertainty it brings.
    for (std::size_t i = 0; i < d.Contributions.size() && i < 3; ++i)
        lines << QStringLiteral("      ") + Ppm(d.Contributions[i].Ppm, d.ExpectedPpm) + QStringLiteral(" ppm from ")
                + QString::fromStdString(d.Contributions[i].Name);
}

}  // namespace

std::optional<TPlanUncertainty> PlanUncertainty(const TPlanResult& plan, const TUncertaintyInputs& in,
                                                double windowMinutes)
{
    if (plan.MixingMethod == TMixingMethod::None || !plan.Feasibility.Deliverable)
        return std::nullopt;
    const TPlanFeasibility& f = plan.Feasibility;
    TDeliveryModel model;
    const TCompound dryB = GetCompound(plan.B.Name);
    model.A = {plan.DesiredFlowAGramsperMinute, plan.DesiredFlowAGramsperMinute, plan.A.MolarMass};
    model.B = {plan.DesiredFlowBGramsperMinute, plan.DesiredFlowBGramsperMinute, dryB.MolarMass};
    if (plan.MixingMethod == TMixingMethod::APure)
        model.B.Rate = 0.0;
    if (plan.MixingMethod == TMixingMethod::BPure)
        model.A.Rate = 0.0;
    if (f.Pulsed)
        (f.PulsedA ? model.A : model.B).SetPoint = f.PulseSetPoint;
    model.NominalFraction = plan.A.Mixture ? plan.A.C1VFraction : 1.0;
    const bool water = plan.w > 0 && plan.b > 0 && in.BubblerC > 0.0;
    if (water) {
        model.WaterPerB = plan.H2OFractionOfB;
        model.ReadC = in.BubblerC;
        model.pRead = GetH2OPressureATM(static_cast<float>(in.BubblerC));
    }

    TPlanUncertainty result;
    result.AveragingMinutes = std::max(windowMinutes, f.Pulsed ? f.Minutes() : 0.0);
    const double seconds = result.AveragingMinutes * 60.0;
    TPoint best{};
    best[CertificateA] = in.SourceA.Fraction;
    best[Efficiency] = in.Bubbler.Efficiency;
    TPoint u{};
    // The records' figures are expanded uncertainties (k = 2), as makers
    // state accuracy for 19 in 20 of their instruments. Repeatability is the
    // scatter of a controller's flow from one second to the next, which
    // averages over the window.
    const auto controller = [&](const TControllerRecord& r, float fullScale, int first) {
        u[first] = r.ReadingShare / 2.0;
        u[first + 1] = r.FullScaleShare * fullScale / 2.0;
        u[first + 2] = r.Repeatability / 2.0 / std::sqrt(std::max(seconds, 1.0));
    };
    controller(in.ControllerA, plan.FIA.Max, ReadingA);
    controller(in.ControllerB, plan.FIB.Max, ReadingB);
    u[CertificateA] = in.SourceA.FractionUncertainty / 2.0;
    // Dosed against what is due, a pulsed gas keeps within half a pulse of
    // it by the dosing's rule, and within a whole one where it arrives: the
    // dosing counts a pulse as given while the controller still delivers
    // it. The more of the time the set-point is up, the less the gaps
    // matter. Besides, what comes due between two ticks waits for the next.
    // A window begins and ends anywhere in that rhythm. (On the simulated
    // rig the scatter of a window came to 0.8 to 1.05 of this.)
    const double twoEnds = std::sqrt(2.0);
    double pulsedDue = 0.0;
    if (f.Pulsed) {
        const TMetered& g = f.PulsedA ? model.A : model.B;
        pulsedDue = g.Rate * result.AveragingMinutes;
        const double duty = std::clamp(g.Rate / g.SetPoint, 0.0, 1.0);
        const double halfWidth = 1.2 * f.PulseGrams * (1.0 - duty) + g.Rate * RigTickSeconds / 60.0 / 2.0;
        if (pulsedDue > 0.0)
            u[f.PulsedA ? GrainA : GrainB] = halfWidth / Root3 * twoEnds / pulsedDue;
    }
    if (water && model.pRead > 0.0 && model.pRead < 1.0) {
        u[Temperature] = in.Bubbler.TemperatureAccuracyC / 2.0;
        u[ConverterStep] = in.BubblerStepC / 2.0 / Root3;
        u[Efficiency] = in.Bubbler.EfficiencyUncertainty / 2.0;
        // The wet path opens and closes at the ticks for the share of gas B
        // the water needs. On the simulated rig the water of a window
        // scatters by that share of a tick against the window's length,
        // times 0.6 where gas B carries gas A and 0.85 where it is dosed
        // into gas A; taken as 0.65 and 0.95. Where pulses of gas A share the
        // ticks, it scatters by 0.3 of a tick of the wet path's time. Water
        // carried by pulses of gas B goes a pulse at a time, or a tick's gas
        // B at a time where its set-point stays up from one tick to the next:
        // within that much water, where it arrives, of what is due.
        const double share = std::min(1.0, model.WaterPerB * (1.0 - model.pRead) / model.pRead);
        const bool intoA = MixingMethodName(plan.MixingMethod).front() == 'B';
        double grain = (intoA ? 0.95 : 0.65) * share * RigTickSeconds / seconds;
        if (f.Pulsed && f.PulsedA)
            grain = 0.3 * RigTickSeconds / (share * seconds);
        if (f.Pulsed && !f.PulsedA && pulsedDue > 0.0)
            grain = std::max(f.PulseGrams, f.PulseSetPoint * RigTickSeconds / 60.0) / Root3 * twoEnds
                / (share * pulsedDue);
        u[GrainWater] = grain;
        result.Water = Budget(model, best, u, 1);
    }
    // Gas A's share moves a little with the water too.
    result.GasA = Budget(model, best, u, 0);
    return result;
}

QString ValueWithUncertainty(double ppm, double expandedPpm)
{
    return Ppm(ppm) + QStringLiteral(" \u00b1 ") + Ppm(expandedPpm, ppm);
}

QStringList ExpiredRecords(const TSourceRecord& source, const TControllerRecord& controller, char gas, double today)
{
    QStringList warnings;
    const auto past = [today](const std::string& date) {
        const std::optional<double> day = DayCountOfDate(date);
        return day && *day < std::floor(today);
    };
    const QString name(QLatin1Char{gas});
    if (past(source.Expiry))
        warnings << QStringLiteral("The certificate of the gas ") + name + QStringLiteral(" cylinder (")
                + Text(source.Gas) + QStringLiteral(", lot ") + Text(source.Lot) + QStringLiteral(") expired on ")
                + Text(source.Expiry);
    if (past(controller.CalibrationDue))
        warnings << QStringLiteral("The calibration of controller ") + name + QStringLiteral(" (")
                + Text(controller.Serial) + QStringLiteral(") was due on ") + Text(controller.CalibrationDue);
    return warnings;
}

QStringList UncertaintyLines(const TPlanUncertainty& un, const TUncertaintyInputs& in, std::optional<double> today)
{
    QStringList lines;
    lines << QStringLiteral("Expected delivery (k = 2)");
    AddDelivery(lines, QStringLiteral("Gas A : "), un.GasA);
    if (un.Water)
        AddDelivery(lines, QStringLiteral("H2O   : "), *un.Water);
    lines << QStringLiteral("  Averaged over any ") + FormatFloat(QStringLiteral("0.0"), un.AveragingMinutes)
            + QStringLiteral(" min or longer, once the dilution has run ") + QString::number(SettledSeconds)
            + QStringLiteral(" s");
    lines << QStringLiteral("  ");
    lines << QStringLiteral("Records");
    const QString indent = QStringLiteral("                  ");
    const TSourceRecord& s = in.SourceA;
    lines << QStringLiteral("  Gas A source  : ") + Text(s.Gas) + QStringLiteral(", lot ") + Text(s.Lot)
            + QStringLiteral(", expires ") + Text(s.Expiry) + Default(s.Confirmed)
          << indent + Percent(s.Fraction, "0.000") + QStringLiteral(" \u00b1 ")
            + Percent(s.FractionUncertainty, "0.000") + QStringLiteral(" (k = 2)");
    for (const auto& [name, r] : {std::pair{"A", &in.ControllerA}, std::pair{"B", &in.ControllerB}})
        lines << QStringLiteral("  Controller ") + QLatin1String(name) + QStringLiteral("  : ") + Text(r->Serial)
                + QStringLiteral(", calibrated ") + Text(r->Calibrated) + QStringLiteral(", due ")
                + Text(r->CalibrationDue) + Default(r->Confirmed)
              << indent + Percent(r->ReadingShare) + QStringLiteral(" of reading + ") + Percent(r->FullScaleShare)
                + QStringLiteral(" of full scale, repeatability ") + Percent(r->Repeatability);
    const TBubblerRecord& b = in.Bubbler;
    const QString reading = in.BubblerC > 0.0 ? QStringLiteral("read at ")
            + FormatFloat(QStringLiteral("0.0"), in.BubblerC) + QStringLiteral(" \u00baC, converter step ")
            + FormatFloat(QStringLiteral("0.000"), in.BubblerStepC) + QStringLiteral(" \u00baC")
                                              : QStringLiteral("not read yet");
    lines << QStringLiteral("  Bubbler       : \u00b1") + FormatFloat(QStringLiteral("0.00"), b.TemperatureAccuracyC)
            + QStringLiteral(" \u00baC, saturation ") + FormatFloat(QStringLiteral("0.000"), b.Efficiency)
            + QStringLiteral(" \u00b1 ") + FormatFloat(QStringLiteral("0.000"), b.EfficiencyUncertainty)
            + QStringLiteral(" (k = 2)") + Default(b.Confirmed)
          << indent + reading;
    if (today)
        for (const QString& warning : ExpiredRecords(in.SourceA, in.ControllerA, 'A', *today)
                 + ExpiredRecords(in.SourceB, in.ControllerB, 'B', *today))
            lines << QStringLiteral("  WARNING: ") + warning;
    return lines;
}
