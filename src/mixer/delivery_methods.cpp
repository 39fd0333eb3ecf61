// The delivery routines of a dilution tick: the delivery path with the
// planned set-points, and water by routing gas B through the bubbler for a
// share of it. A gas planned below its controller's minimum goes in pulses
// (pulse_delivery.cpp).
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mfc_registers.h"
#include "mixer_host.h"
#include "mixing_methods.h"
#include "number_picture.h"
#include "relay_commands.h"
#include "time_picture.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

const QString DurationPicture = QStringLiteral("hh:nn:ss.zzz");

}  // namespace

void TMixer::Trace(const QString& line)
{
    Host_.AddDevFeedbackLine(line);
}

void TMixer::ConstantFlow()
{
    SetValvesTimed(S_.H2OPathHeld ? ValvesWetPath : ValvesDryPath);
    // A set-point counts as sent only when its write went out; otherwise the
    // next tick tries again rather than leave the controller at its old
    // set-point for the whole dilution.
    if (!S_.FlowASetToConstant)
        S_.FlowASetToConstant = Gateway_.SetMFCFlow(AddressGasA, S_.DesiredFlowAGramsperMinute).Status.empty();
    if (!S_.FlowBSetToConstant)
        S_.FlowBSetToConstant = Gateway_.SetMFCFlow(AddressGasB, S_.DesiredFlowBGramsperMinute).Status.empty();
}

double TMixer::WaterShare(double pH2O) const
{
    // A gas saturated at p (atm, at about 1 atm total) carries p / (1 - p)
    // moles of water per mole of gas. The planner's flows put gas A and gas
    // B in the ratio a : b, so w ppm of water needs w / b moles of water per
    // mole of gas B: that share of gas B through the bubbler.
    if (Rules_.SaturatedStream)
        return S_.H2OFractionOfB * (1.0 - pH2O) / pH2O;
    return S_.H2OFractioninB / pH2O;
}

// Sends a valve pattern and times the board's exchange.
TSerialResponse TMixer::SetValvesTimed(std::uint8_t pattern)
{
    const double start = Clock_.now();
    TSerialResponse r = Gateway_.SetValves(pattern);
    if (r.Status.empty())
        RelayExchangeDays_ = Clock_.now() - start;
    return r;
}

std::optional<double> TMixer::WaterShareNow() const
{
    const double pH2O = S_.pH2O;
    if (!(S_.H2OFractioninB > 0.0) || !(std::isfinite(pH2O) && pH2O > 0.0))
        return std::nullopt;
    return WaterShare(pH2O);
}

void TMixer::SendH2O()
{
    // No water asked for: nothing to dose, and no vapour pressure needed.
    if (!(S_.H2OFractioninB > 0.0))
        return;
    // Without a vapour pressure the bubbler's share cannot be worked out; a
    // zero pressure would ask for endless bubbling. Said once per dilution.
    const double pH2O = S_.pH2O;
    if (!(std::isfinite(pH2O) && pH2O > 0.0)) {
        if (!NoWaterReported_)
            Trace(QStringLiteral("No valid pH2O: no water pulse"));
        NoWaterReported_ = true;
        CloseWetPath();
        return;
    }
    const double share = WaterShare(pH2O);
    if (StepsOfMethod(S_.MixingMethod, Rules_).PulseGasB)
        SendH2OByGasB(share);
    else
        SendH2OByTime(share);
}

// Opens or closes the wet path; returns the board's failure ("" when it
// took the command). Only what the board confirmed at both ends is
// credited: a wet path that never opened carried no water, and the last
// stretch of one whose closing was not confirmed has no known length.
std::string TMixer::SetWetPath(bool wet)
{
    if (wet) {
        const TSerialResponse r = SetValvesTimed(ValvesWetPath);
        if (r.Status.empty()) {
            S_.H2OHeldSince = Clock_.now();
            S_.H2OPathHeld = true;
            return {};
        }
        // Whatever the board made of it, the dry path again.
        Gateway_.SetValves(ValvesDryPath);
        S_.H2OPathHeld = false;
        return r.Status;
    }
    const TSerialResponse r = SetValvesTimed(ValvesDryPath);
    if (S_.H2OPathHeld && r.Status.empty())
        S_.H2OTime = S_.H2OTime + (Clock_.now() - S_.H2OHeldSince);
    S_.H2OPathHeld = false;
    return r.Status;
}

void TMixer::CloseWetPath()
{
    if (!S_.H2OPathHeld)
        return;
    const std::string failure = SetWetPath(false);
    if (!failure.empty())
        Trace(QStringLiteral("H2O not credited   ") + QString::fromStdString(failure));
}

// Gas B at a constant flow: the bubbler's share of the time since the
// dilution started.
void TMixer::SendH2OByTime(double share)
{
    // The wet path held open since the last tick counts up to now: nothing
    // but its closing can have ended it.
    if (S_.H2OPathHeld) {
        const double now = Clock_.now();
        S_.H2OTime = S_.H2OTime + (now - S_.H2OHeldSince);
        S_.H2OHeldSince = now;
    }
    const double elapsed = Clock_.now() - S_.DilutionStartTime;
    const double Req = elapsed * share;
    // Closing the wet path takes one exchange of the relay board, and that
    // time is credited: it is the smallest water pulse. A pulse is given
    // when the bubbler lags by half of one at least, and closes that much
    // early, so the water keeps within half a pulse of the plan.
    const double closing = RelayExchangeDays_;
    if (!(Req - S_.H2OTime >= closing / 2)) {
        CloseWetPath();
        return;
    }

    Trace(QString());
    Trace(QStringLiteral("Total elapsed time ") + FormatDayCount(DurationPicture, elapsed));
    Trace(QStringLiteral("Required H2O time  ") + FormatDayCount(DurationPicture, Req));
    Trace(QStringLiteral("Ratio              ") + FormatFloat(QStringLiteral("0.000"), Req / elapsed));
    Trace(QStringLiteral("H2O actual         ") + FormatDayCount(DurationPicture, S_.H2OTime));

    // The wet path stays open for the time the bubbler lags behind and
    // closes again; a lag longer than MaxWaterHoldMs keeps it open into the
    // next tick. The time it was open is credited.
    std::string failure;
    if (!S_.H2OPathHeld)
        failure = SetWetPath(true);
    const double holdMs = MsFromDays(Req - S_.H2OTime - closing);
    if (failure.empty() && !(holdMs > MaxWaterHoldMs)) {
        const long hold = std::lround(std::max(holdMs, 0.0));
        if (hold > 0)
            Clock_.sleepMs(static_cast<unsigned>(hold));
        failure = SetWetPath(false);
    }
    if (failure.empty())
        Trace(QStringLiteral("H2O updated        ") + FormatDayCount(DurationPicture, S_.H2OTime));
    else
        Trace(QStringLiteral("H2O not credited   ") + QString::fromStdString(failure));
    StoreH2OPulseRow();
}

void TMixer::StoreH2OPulseRow()
{
    // The row shows the pulse in its Method cell instead of the method.
    TLogRowInputs in = LogRowInputs();
    in.MixingMethod = "H2O pulse";
    StoreRow(ComputeLogRow(in));
}
