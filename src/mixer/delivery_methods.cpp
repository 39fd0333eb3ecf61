// The delivery routines of a dilution tick: the delivery path with the
// planned set-points, a gas planned below its controller's minimum in
// pulses, and water by routing gas B through the bubbler for a share of it.
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

constexpr unsigned PauseAfterTotalizerMs = 50;
constexpr unsigned PauseAfterPulseMs = 50;
// Longest time a water pulse holds the wet path open within a tick; a
// larger lag keeps it open into the next tick.
constexpr unsigned MaxWaterHoldMs = 200;
constexpr double MsPerMinute = 60000.0;

const QString DurationPicture = QStringLiteral("hh:nn:ss.zzz");
const QString MassPicture = QStringLiteral("0.000 000 000");

}  // namespace

// What a pulse routine doses: the controller, its totalizer, the planned
// average flow it meters against, the controller's minimum, its pulse count
// and its trace labels (padded to one width).
struct TMixer::TPulsedGas {
    std::uint32_t Address;
    TTotalizer& Totalizer;
    double DesiredFlow;
    float Minimum;
    std::int32_t& Counter;
    const char* ShouldBeLabel;
    const char* IsLabel;
    const char* SendLabel;
    const char* StopLabel;
    const char* Name;
};

void TMixer::Trace(const QString& line)
{
    Host_.AddDevFeedbackLine(line);
}

void TMixer::ConstantFlow()
{
    if (S_.H2OPathHeld)
        Gateway_.SetValves(ValvesWetPath);
    else
        Gateway_.SetValves(ValvesDryPath);
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
    Pulse(TPulsedGas{AddressGasA, S_.TotalizerA, S_.DesiredFlowAGramsperMinute, S_.FIA.Min, S_.Counter,
                     "Flow should be by now :", "Flow is by now        :", "Send more flow ", "Stop flow", "A"});
}

void TMixer::BinAPulse()
{
    Pulse(TPulsedGas{AddressGasB, S_.TotalizerB, S_.DesiredFlowBGramsperMinute, S_.FIB.Min, S_.CounterB,
                     "Gas B should be by now:", "Gas B is by now       :", "Send more gas B ", "Stop gas B", "B"});
}

// PulseFlow, unless the controller's minimum is higher: below it the
// controller delivers nothing.
float TMixer::PulseSetPoint(const TPulsedGas& gas)
{
    if (!(gas.Minimum > PulseFlow))
        return PulseFlow;
    bool& reported = PulseFloorReported_[gas.Address == AddressGasA ? 0 : 1];
    if (!reported)
        Trace(QStringLiteral("Pulse set-point of gas ") + QLatin1String(gas.Name) + QStringLiteral(" is its minimum :")
              + FormatFloat(QStringLiteral("0.000 000"), gas.Minimum) + QStringLiteral(" g/min"));
    reported = true;
    return gas.Minimum;
}

void TMixer::Pulse(const TPulsedGas& gas)
{
    const TSerialResponse read = Gateway_.ReadTotalizer(gas.Address, gas.Totalizer);
    Clock_.sleepMs(PauseAfterTotalizerMs);

    const double ElapsedTime = (Clock_.now() - gas.Totalizer.StartTime) * MinutesPerDay;
    const double shouldBe = ElapsedTime * gas.DesiredFlow;
    Trace(QStringLiteral("Elapsed time          :") + FormatFloat(QStringLiteral("0"), ElapsedTime * 60)
          + QStringLiteral(" s"));
    Trace(QLatin1String(gas.ShouldBeLabel) + FormatFloat(MassPicture, shouldBe) + QStringLiteral(" g"));
    Trace(QLatin1String(gas.IsLabel) + FormatFloat(MassPicture, gas.Totalizer.Value) + QStringLiteral(" g"));

    if (!read.Status.empty() || !std::isfinite(gas.Totalizer.Value)) {
        // Without the delivered mass there is no lag to make up: the gas
        // stays off until a reading succeeds.
        Trace(QLatin1String(gas.StopLabel) + QStringLiteral(" (totalizer not read)"));
        Gateway_.WriteSetPoint(gas.Address, 0.0f);
        Clock_.sleepMs(PauseAfterPulseMs);
        return;
    }
    if (shouldBe > gas.Totalizer.Value) {
        const float flow = PulseSetPoint(gas);
        ++gas.Counter;
        Trace(QLatin1String(gas.SendLabel) + QString::number(gas.Counter));
        Gateway_.WriteSetPoint(gas.Address, flow);
        Clock_.sleepMs(PulseLengthMs);
        // A lag larger than this pulse makes up keeps the set-point on into
        // the next tick, which decides afresh: pulses of one length a tick
        // could not keep up with a planned flow above a quarter or so of the
        // pulse flow.
        const double pulseGrams = flow * PulseLengthMs / MsPerMinute;
        if (shouldBe - gas.Totalizer.Value > pulseGrams)
            return;
        Gateway_.WriteSetPoint(gas.Address, 0.0f);
        Clock_.sleepMs(PauseAfterPulseMs);
        return;
    }
    Trace(QLatin1String(gas.StopLabel));
    Gateway_.WriteSetPoint(gas.Address, 0.0f);
    Clock_.sleepMs(PauseAfterPulseMs);
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
        const TSerialResponse r = Gateway_.SetValves(ValvesWetPath);
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
    const TSerialResponse r = Gateway_.SetValves(ValvesDryPath);
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
    if (!(Req > S_.H2OTime)) {
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
    const double lagMs = (Req - S_.H2OTime) * MsPerDay;
    if (failure.empty() && !(lagMs > MaxWaterHoldMs)) {
        const auto hold = static_cast<unsigned>(std::max(lagMs, 0.0));
        if (hold > 0)
            Clock_.sleepMs(hold);
        failure = SetWetPath(false);
    }
    if (failure.empty())
        Trace(QStringLiteral("H2O updated        ") + FormatDayCount(DurationPicture, S_.H2OTime));
    else
        Trace(QStringLiteral("H2O not credited   ") + QString::fromStdString(failure));
    StoreH2OPulseRow();
}

// Pulsed gas B flows only now and then: the bubbler gets its share of the
// grams of gas B delivered, counted by controller 2's totalizer. The path
// is chosen once a tick, right after that reading, and held until the next
// one; the gas B counted between two readings passed the path held between
// them.
void TMixer::SendH2OByGasB(double share)
{
    const TSerialResponse read = Gateway_.ReadTotalizer(AddressGasB, S_.TotalizerB);
    if (!read.Status.empty() || !std::isfinite(S_.TotalizerB.Value)) {
        // Where the gas B since the last reading went cannot be told: none
        // of it is credited, and the path stays dry until a reading succeeds.
        S_.H2OLastTotalizerBValid = false;
        CloseWetPath();
        return;
    }
    const double grams = S_.TotalizerB.Value;
    if (S_.H2OPathHeld) {
        if (S_.H2OLastTotalizerBValid)
            S_.H2OGramsB += grams - S_.H2OLastTotalizerB;
        const double now = Clock_.now();
        S_.H2OTime = S_.H2OTime + (now - S_.H2OHeldSince);
        S_.H2OHeldSince = now;
    }
    S_.H2OLastTotalizerB = grams;
    S_.H2OLastTotalizerBValid = true;

    const double required = grams * share;
    if (!(required > S_.H2OGramsB)) {
        if (S_.H2OPathHeld)
            SwitchWetPathByGasB(false);
        return;
    }
    Trace(QString());
    Trace(QStringLiteral("Total elapsed time ") + FormatDayCount(DurationPicture, Clock_.now() - S_.DilutionStartTime));
    Trace(QStringLiteral("Required B in H2O  ") + FormatFloat(MassPicture, required) + QStringLiteral(" g"));
    Trace(QStringLiteral("Ratio              ") + FormatFloat(QStringLiteral("0.000"), share));
    Trace(QStringLiteral("B in H2O actual    ") + FormatFloat(MassPicture, S_.H2OGramsB) + QStringLiteral(" g"));
    if (!S_.H2OPathHeld)
        SwitchWetPathByGasB(true);
    StoreH2OPulseRow();
}

// The gas B counted between the readings just before and just after the
// switch passed the old path for about half of that time and the new one
// for the rest. A switch the board did not confirm, or no reading after
// it, leaves nothing to split: the count starts afresh at the next reading.
void TMixer::SwitchWetPathByGasB(bool wet)
{
    const bool wasWet = S_.H2OPathHeld;
    const std::string failure = SetWetPath(wet);
    S_.H2OLastTotalizerBValid = false;
    if (!failure.empty()) {
        Trace(QStringLiteral("H2O not credited   ") + QString::fromStdString(failure));
        return;
    }
    TTotalizer after = S_.TotalizerB;
    const TSerialResponse read = Gateway_.ReadTotalizer(AddressGasB, after);
    if (!read.Status.empty() || !std::isfinite(after.Value))
        return;
    const double middle = (S_.H2OLastTotalizerB + after.Value) / 2;
    if (wasWet)
        S_.H2OGramsB += middle - S_.H2OLastTotalizerB;
    S_.H2OLastTotalizerB = middle;
    S_.H2OLastTotalizerBValid = true;
}

void TMixer::StoreH2OPulseRow()
{
    // The row shows the pulse in its Method cell instead of the method.
    TLogRowInputs in = LogRowInputs();
    in.MixingMethod = "H2O pulse";
    StoreRow(ComputeLogRow(in));
}
