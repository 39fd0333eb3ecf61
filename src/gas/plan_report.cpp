#include "plan_report.h"

#include "feasibility_report.h"
#include "number_picture.h"
#include "rounding.h"

#include <limits>

namespace {

using Extended = long double;

QString Text(const std::string& eightBit)
{
    return QString::fromLocal8Bit(eightBit.data(), static_cast<qsizetype>(eightBit.size()));
}

QString Whole(long long n)
{
    return QString::number(n);
}

QString Rounded(Extended x)
{
    return QString::number(static_cast<long long>(RoundHalfEven(x)));
}

QString F(const char* picture, Extended x)
{
    return TNumberPicture(picture).Format(x);
}

// 1 / x, shown as infinity when a time scale is 0 instead of failing.
Extended Reciprocal(float x)
{
    if (x == 0.0f)
        return std::numeric_limits<Extended>::infinity();
    return 1.0L / x;
}

void ControllerLines(QStringList& lines, const QString& title, const TFlowInfo& fi)
{
    lines << title;
    lines << QStringLiteral("  Fluid name     : ") + Text(fi.Name);
    lines << QStringLiteral("  Long name      : ") + Text(fi.LongName);
    lines << QStringLiteral("  Flow unit      : ") + Text(fi.FlowUnit);
    lines << QStringLiteral("  Max flow       : ") + F("0.000 000", fi.Max);
    lines << QStringLiteral("  Min flow       : ") + F("0.000 000", fi.Min);
    lines << QStringLiteral("  Turndown ratio : ") + QString::number(fi.Dyn);
    lines << QStringLiteral("    ");
}

}  // namespace

QStringList PlanReportLines(const TPlanResult& p)
{
    QStringList lines;
    const QString nameA = Text(p.A.Name);
    const QString nameB = Text(p.B.Name);

    lines << QStringLiteral("Description of desired mixture");
    lines << QStringLiteral("  ") + Whole(p.a) + QStringLiteral(" ppm of ") + Text(p.A.LongName)
            + QStringLiteral(" in ") + Text(p.B.LongName);
    lines << QStringLiteral("  ");

    lines << QStringLiteral("Components of mixture (as partial pressure)");
    if (p.A.Mixture) {
        for (const TPlanComponent& c : p.ComponentsA)
            lines << QStringLiteral("  ") + Rounded(c.Ppm) + QStringLiteral(" ppm of ") + Text(c.Name);
    } else {
        lines << QStringLiteral("  ") + Whole(p.a) + QStringLiteral(" ppm of ") + nameA;
    }
    if (p.B.Mixture) {
        for (const TPlanComponent& c : p.ComponentsB)
            lines << QStringLiteral("  ") + Rounded(c.Ppm) + QStringLiteral(" ppm of ") + Text(c.Name);
    } else {
        lines << QStringLiteral("  ") + Whole(p.b) + QStringLiteral(" ppm of ") + nameB;
    }
    if (p.w > 0 && p.b > 0)
        lines << QStringLiteral("      ") + F("0.000", 100.0L * p.H2OFractionOfB)
                + QStringLiteral(" % H2O fraction of B");
    lines << QStringLiteral("  ");

    lines << QStringLiteral("Components of mixture (as mass fraction)");
    if (p.A.Mixture) {
        lines << QStringLiteral("  ") + F("0.0", p.mA) + QStringLiteral(" ppm total gas A");
        for (const TPlanComponent& c : p.ComponentsA)
            lines << QStringLiteral("      ") + F("0.0", c.MassFraction) + QStringLiteral(" ppm of ") + Text(c.Name);
    } else {
        lines << QStringLiteral("  ") + F("0.0", p.mA) + QStringLiteral(" ppm of ") + nameA;
    }
    if (p.B.Mixture) {
        lines << QStringLiteral("  ") + F("0.0", p.mB) + QStringLiteral(" ppm total gas B");
        for (const TPlanComponent& c : p.ComponentsB)
            lines << QStringLiteral("      ") + F("0.0", c.MassFraction) + QStringLiteral(" ppm of ") + Text(c.Name);
    } else {
        lines << QStringLiteral("  ") + F("0.0", p.mB) + QStringLiteral(" ppm of ") + nameB;
    }
    lines << QStringLiteral("    ");

    lines << QStringLiteral("Mass relations of input gases");
    lines << QStringLiteral("  ") + F("0.000 000 000", p.AFractioOfFlowB) + QStringLiteral(" of ") + Text(p.A.LongName);
    const Extended shareB
        = p.MaxMassFraction != 0 ? p.mB / p.MaxMassFraction : std::numeric_limits<Extended>::infinity();
    lines << QStringLiteral("  ") + F("0.000 000 000", shareB) + QStringLiteral(" of ") + Text(p.B.LongName);
    lines << QStringLiteral("  ");

    ControllerLines(lines, QStringLiteral("Controller details for Gas A"), p.FIA);
    ControllerLines(lines, QStringLiteral("Controller details for Gas B"), p.FIB);

    const QString unitA = Text(p.FIA.FlowUnit);
    const QString unitB = Text(p.FIB.FlowUnit);
    lines << QStringLiteral("Flow limits");
    lines << QStringLiteral("  Min flow of gas A : ") + F("0.000 000 000", p.FIA.Min) + QStringLiteral(" ") + unitA;
    lines << QStringLiteral("  Max flow of gas A : ") + F("0.000 000 000", p.FIA.Max) + QStringLiteral(" ") + unitA;
    lines << QStringLiteral("  Min flow of gas B : ") + F("0.000 000 000", p.FIB.Min) + QStringLiteral(" ") + unitB;
    lines << QStringLiteral("  Max flow of gas B : ") + F("0.000 000 000", p.FIB.Max) + QStringLiteral(" ") + unitB;
    lines << QStringLiteral("    ");

    lines << QStringLiteral("Conclusion");
    lines << QStringLiteral("  Mixing method     : ") + Text(std::string(MixingMethodName(p.MixingMethod)));
    lines << QStringLiteral("  Required flow A   : ") + F("0.000 000 000", p.DesiredFlowAGramsperMinute)
            + QStringLiteral(" ") + unitA;
    lines << QStringLiteral("  Required flow B   : ") + F("0.000 000 000", p.TotalFlowB) + QStringLiteral(" ") + unitB;
    if (GasAPulsed(p.MixingMethod) || GasBPulsed(p.MixingMethod)) {
        lines << QStringLiteral("  Timescale A       : ") + F("0.000 000", p.TimeScaleA);
        lines << QStringLiteral("  Timescale B       : ") + F("0.000 000", p.TimeScaleB);
        lines << QStringLiteral("  1/Timescale A     : ") + F("0.000 000", Reciprocal(p.TimeScaleA));
        lines << QStringLiteral("  1/Timescale B     : ") + F("0.000 000", Reciprocal(p.TimeScaleB));
        lines << QStringLiteral("  Timescale A * 60  : ") + F("0.000", 60.0L * p.TimeScaleA);
        lines << QStringLiteral("  Timescale B * 60  : ") + F("0.000", 60.0L * p.TimeScaleB);
        lines << QStringLiteral("  Massflow A (1 min): ")
                + F("0.000 000 000", Extended(p.TimeScaleA) * p.DesiredFlowAGramsperMinute) + QStringLiteral(" g");
        lines << QStringLiteral("  Massflow B (1 min): ") + F("0.000 000 000", Extended(p.TimeScaleB) * p.TotalFlowB)
                + QStringLiteral(" g");
    }
    const Extended ml = Extended(p.mlA) + p.mlB;
    lines << QStringLiteral("  Resulting flow    : ") + F("0.0", ml) + QStringLiteral(" ml/min  (25\u00BAC)");
    lines << QStringLiteral("  Resulting flow    : ") + F("0.0", ml / 24.0L * 22.4L)
            + QStringLiteral(" mln/min (0\u00BAC)");
    // A plan its controllers cannot deliver says so below the conclusion.
    lines << FeasibilityLines(p);
    return lines;
}

QString PlanReportText(const TPlanResult& plan)
{
    QString text;
    for (const QString& line : PlanReportLines(plan))
        text += line + QStringLiteral("\r\n");
    return text;
}
