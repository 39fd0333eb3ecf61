#include "feasibility_report.h"

#include "number_picture.h"
#include "pulse_dosing.h"

namespace {

const QString Grams = QStringLiteral("0.000 000 000");
const QString Tenths = QStringLiteral("0.0");

// "1 %" or "1 ppm", whichever is the larger tolerance of `ppm`.
QString Tolerance(std::int32_t ppm)
{
    return ppm * DeliveryRelativeTolerance >= DeliveryAbsoluteTolerancePpm ? QStringLiteral("1 %")
                                                                           : QStringLiteral("1 ppm");
}

}  // namespace

QString PossibleRange(std::int32_t lowest, std::int32_t highest)
{
    if (lowest > highest)
        return QStringLiteral("none");
    return QString::number(lowest) + QStringLiteral(" to ") + QString::number(highest) + QStringLiteral(" ppm");
}

QString UndeliverableReason(const TPlanResult& plan)
{
    const TPlanFeasibility& f = plan.Feasibility;
    if (f.Deliverable)
        return {};
    const QString pulses = QStringLiteral(" in pulses of ") + FormatFloat(Grams, f.PulseGrams) + QStringLiteral(" g");
    const QString limit = QStringLiteral(" min, ") + FormatFloat(QStringLiteral("0"), LongestAveragingMinutes)
        + QStringLiteral(" min at most");
    if (f.Limit == TAveraging::WaterByGasB)
        return QStringLiteral("the water carried by gas B") + pulses + QStringLiteral(" averages within ")
            + Tolerance(plan.w) + QStringLiteral(" only after ") + FormatFloat(Tenths, f.WaterMinutes) + limit;
    if (f.PulsedA)
        return QStringLiteral("gas A") + pulses + QStringLiteral(" averages within ") + Tolerance(plan.a)
            + QStringLiteral(" only after ") + FormatFloat(Tenths, f.GasAMinutes) + limit;
    return QStringLiteral("gas B") + pulses + QStringLiteral(" lets gas A average within ") + Tolerance(plan.a)
        + QStringLiteral(" only after ") + FormatFloat(Tenths, f.GasAMinutes) + limit;
}

QString NotDeliverableMessage(const TPlanResult& plan)
{
    return QStringLiteral("Not deliverable with these controllers: ") + UndeliverableReason(plan);
}

QStringList FeasibilityLines(const TPlanResult& plan)
{
    const TPlanFeasibility& f = plan.Feasibility;
    if (f.Deliverable)
        return {};
    QStringList lines;
    lines << QStringLiteral("    ");
    lines << QStringLiteral("Delivery");
    lines << QStringLiteral("  Deliverable       : no, ") + UndeliverableReason(plan);
    lines << QStringLiteral("  Smallest pulse    : ") + FormatFloat(Grams, f.PulseGrams) + QStringLiteral(" g of gas ")
            + (f.PulsedA ? QStringLiteral("A") : QStringLiteral("B"));
    lines << QStringLiteral("  Averaging time    : ") + FormatFloat(Tenths, f.Minutes()) + QStringLiteral(" min");
    lines << QStringLiteral("  Gas A possible    : ") + PossibleRange(f.LowestA, f.HighestA);
    if (f.WaterRangeKnown)
        lines << QStringLiteral("  H2O possible      : ") + PossibleRange(f.LowestW, f.HighestW);
    return lines;
}
