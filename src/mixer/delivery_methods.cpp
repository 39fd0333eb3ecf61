// The delivery routines of a dilution tick: the dry path with the planned
// set-points, gas A in pulses, and water by routing gas B through the
// bubbler for a share of the time.
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mfc_registers.h"
#include "mixer_host.h"
#include "mixing_methods.h"
#include "number_picture.h"
#include "time_picture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned PauseAfterTotalizerMs = 50;
constexpr unsigned PauseAfterPulseMs = 50;
// Longest time one water pulse holds the wet path open: less than a tick.
constexpr unsigned MaxWaterHoldMs = 200;
constexpr double MsPerDay = 86400000.0;

const QString DurationPicture = QStringLiteral("hh:nn:ss.zzz");
const QString MassPicture = QStringLiteral("0.000 000 000");

} // namespace

void TMixer::Trace(const QString& line)
{
    Host_.AddDevFeedbackLine(line);
}

void TMixer::ConstantFlow()
{
    Gateway_.SetValvePositions(0, 0, 0, 1, 1, 0);
    // A set-point counts as sent only when its write went out; otherwise the
    // next tick tries again rather than leave the controller at its old
    // set-point for the whole dilution.
    if (!S_.FlowASetToConstant)
        S_.FlowASetToConstant = Gateway_.SetMFCFlow(AddressGasA, S_.DesiredFlowAGramsperMinute).Status.empty();
    if (!S_.FlowBSetToConstant)
        S_.FlowBSetToConstant = Gateway_.SetMFCFlow(AddressGasB, S_.DesiredFlowBGramsperMinute).Status.empty();
}

void TMixer::AinBPulse()
{
    const TSerialResponse read = Gateway_.ReadTotalizer(AddressGasA, S_.TotalizerA);
    Clock_.sleepMs(PauseAfterTotalizerMs);

    const double ElapsedTimeA = (Clock_.now() - S_.TotalizerA.StartTime) * 24 * 60;
    const double shouldBe = ElapsedTimeA * S_.DesiredFlowAGramsperMinute;
    Trace(QStringLiteral("Elapsed time          :") + FormatFloat(QStringLiteral("0"), ElapsedTimeA * 60)
          + QStringLiteral(" s"));
    Trace(QStringLiteral("Flow should be by now :") + FormatFloat(MassPicture, shouldBe) + QStringLiteral(" g"));
    Trace(QStringLiteral("Flow is by now        :") + FormatFloat(MassPicture, S_.TotalizerA.Value)
          + QStringLiteral(" g"));

    if (!read.Status.empty() || !std::isfinite(S_.TotalizerA.Value)) {
        // Without the delivered mass there is no lag to make up: gas A stays
        // off until a reading succeeds.
        Trace(QStringLiteral("Stop flow (totalizer not read)"));
        Gateway_.WriteSetPoint(AddressGasA, 0.0f);
        Clock_.sleepMs(PauseAfterPulseMs);
        return;
    }
    if (shouldBe > S_.TotalizerA.Value) {
        ++S_.Counter;
        Trace(QStringLiteral("Send more flow ") + QString::number(S_.Counter));
        Gateway_.WriteSetPoint(AddressGasA, PulseFlow);
        Clock_.sleepMs(PulseLengthMs);
        Gateway_.WriteSetPoint(AddressGasA, 0.0f);
        Clock_.sleepMs(PauseAfterPulseMs);
        return;
    }
    Trace(QStringLiteral("Stop flow"));
    Gateway_.WriteSetPoint(AddressGasA, 0.0f);
    Clock_.sleepMs(PauseAfterPulseMs);
}

void TMixer::SendH2O()
{
    // No water asked for: nothing to dose, and no vapour pressure needed.
    if (!(S_.H2OFractioninB > 0.0))
        return;
    // Without a vapour pressure the bubbler time cannot be worked out; a zero
    // pressure would ask for endless bubbling. Said once per dilution.
    const double pH2O = Host_.pH2O();
    if (!(std::isfinite(pH2O) && pH2O > 0.0)) {
        if (!NoWaterReported_)
            Trace(QStringLiteral("No valid pH2O: no water pulse"));
        NoWaterReported_ = true;
        return;
    }

    const double Req = (Clock_.now() - S_.DilutionStartTime) * S_.H2OFractioninB / pH2O;
    if (!(Req > S_.H2OTime))
        return;

    Trace(QString());
    Trace(QStringLiteral("Total elapsed time ") + FormatDayCount(DurationPicture, Clock_.now() - S_.DilutionStartTime));
    Trace(QStringLiteral("Required H2O time  ") + FormatDayCount(DurationPicture, Req));
    Trace(QStringLiteral("Ratio              ")
          + FormatFloat(QStringLiteral("0.000"), Req / (Clock_.now() - S_.DilutionStartTime)));
    Trace(QStringLiteral("H2O actual         ") + FormatDayCount(DurationPicture, S_.H2OTime));

    // The wet path stays open for the time the bubbler lags behind, at most
    // MaxWaterHoldMs, then closes; the time it was open is credited. A pulse
    // of one relay transaction alone could never supply more than a few per
    // cent of the time, and the mixture would stay drier than planned.
    // Only a pulse the board took both ends of is credited: a wet path
    // that never opened carried no water, and one whose closing was not
    // confirmed has no known length.
    const TSerialResponse wet = Gateway_.SetValvePositions(1, 1, 0, 0, 1, 0);
    const double T2 = Clock_.now();
    const double lagMs = (Req - S_.H2OTime) * MsPerDay;
    const auto hold = static_cast<unsigned>(std::clamp(lagMs, 0.0, static_cast<double>(MaxWaterHoldMs)));
    if (hold > 0 && wet.Status.empty())
        Clock_.sleepMs(hold);
    const TSerialResponse dry = Gateway_.SetValvePositions(0, 0, 0, 1, 1, 0);
    const double T3 = Clock_.now();
    if (wet.Status.empty() && dry.Status.empty()) {
        S_.H2OTime = S_.H2OTime + (T3 - T2);
        Trace(QStringLiteral("H2O updated        ") + FormatDayCount(DurationPicture, S_.H2OTime));
    } else {
        Trace(QStringLiteral("H2O not credited   ")
              + QString::fromStdString(wet.Status.empty() ? dry.Status : wet.Status));
    }

    // The row shows the pulse in its Method cell; the planned method is back
    // in place afterwards, also when the row cannot be stored.
    const std::string kept = S_.MixingMethod;
    S_.MixingMethod = "H2O pulse";
    try {
        StoreData();
    } catch (...) {
        S_.MixingMethod = kept;
        throw;
    }
    S_.MixingMethod = kept;
}
