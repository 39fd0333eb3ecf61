// Water with gas B in pulses: gas B flows only now and then, so the bubbler
// gets its share of the grams of gas B counted by controller 2's totalizer.
// Each pulse goes through the path chosen for it as it starts; a set-point
// held into the next tick shares its time between the paths as a constant
// gas B does. The gas counted between two readings is shared between the
// paths as the controller's response to its set-points spread it over the
// time each was open; a path switched while gas B flows is read right after
// the switch, so that little depends on that spread, and one switched while
// none flowed counts from the reading before.
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mfc_registers.h"
#include "number_picture.h"
#include "time_picture.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned PauseAfterTotalizerMs = 50;

const QString DurationPicture = QStringLiteral("hh:nn:ss.zzz");
const QString MassPicture = QStringLiteral("0.000 000 000");

}  // namespace

// Of the gas B the controller's response gives from the last reading to
// `at`, the grams that passed the wet path.
double TMixer::WetShareSinceReading(double at) const
{
    const double wet = S_.H2OWetSinceReading + (S_.H2OPathHeld ? S_.PulsesB.Delivered(at) - S_.H2OWetFrom : 0.0);
    const double all = S_.PulsesB.Delivered(at) - S_.H2OLastDeliveredB;
    if (!(all > 0.0))
        return S_.H2OPathHeld ? 1.0 : 0.0;
    return std::clamp(wet / all, 0.0, 1.0);
}

void TMixer::CreditWetGramsB(double counted, double at)
{
    if (S_.H2OLastTotalizerBValid)
        S_.H2OGramsB += (counted - S_.H2OLastTotalizerB) * WetShareSinceReading(at);
    const double delivered = S_.PulsesB.Delivered(at);
    S_.H2OWetSinceReading = 0.0;
    S_.H2OWetFrom = delivered;
    S_.H2OLastDeliveredB = delivered;
    if (S_.H2OPathHeld) {
        const double now = Clock_.now();
        S_.H2OTime = S_.H2OTime + (now - S_.H2OHeldSince);
        S_.H2OHeldSince = now;
    }
    S_.H2OLastTotalizerB = counted;
    S_.H2OLastTotalizerBAt = at;
    S_.H2OLastTotalizerBValid = true;
}

void TMixer::LoseWetGramsB()
{
    S_.H2OLastTotalizerBValid = false;
    CloseWetPath();
}

// Switches the path; the gram count takes the switch at `accountAt`.
bool TMixer::SwitchWetPathB(bool wet, double accountAt)
{
    const std::string failure = SetWetPath(wet);
    if (!failure.empty()) {
        // The board's state is not known: the count starts afresh at the
        // next reading.
        S_.H2OLastTotalizerBValid = false;
        Trace(QStringLiteral("H2O not credited   ") + QString::fromStdString(failure));
        return false;
    }
    // What the response gave up to the switch (up to the reading before,
    // for a switch while none flowed).
    const double delivered
        = accountAt > S_.H2OLastTotalizerBAt ? S_.PulsesB.Delivered(accountAt) : S_.H2OLastDeliveredB;
    if (wet)
        S_.H2OWetFrom = delivered;
    else
        S_.H2OWetSinceReading += std::max(0.0, delivered - S_.H2OWetFrom);
    return true;
}

// The path for the gas B about to come (`nextGrams`) and for what is still
// on its way: the one that brings the grams through the bubbler nearer to
// the share of the gas B due that the water asks for, so that the wet
// pulses keep within half a pulse of it. True when it switched while gas B
// flows: a reading should follow.
bool TMixer::ChooseWetPath(double onItsWay, double nextGrams, bool flowing)
{
    const std::optional<double> share = WaterShareNow();
    if (!share)
        return false;
    const double required = *share * (GasBDue(Clock_.now()) + nextGrams / 2);
    const bool wet = required - S_.H2OGramsB >= (onItsWay + nextGrams) / 2;
    WetPulseGiven_ = wet;
    if (wet == S_.H2OPathHeld)
        return false;
    const bool switched = SwitchWetPathB(wet, flowing ? Clock_.now() : S_.H2OLastTotalizerBAt);
    WetPulseGiven_ = switched && wet;
    return switched && flowing;
}

// A reading of gas B for the water's count, and the pause the bus keeps
// after it when `pause`.
bool TMixer::ReadGasBForWater(bool pause)
{
    const double start = Clock_.now();
    const TSerialResponse read = Gateway_.ReadTotalizer(AddressGasB, S_.TotalizerB);
    const double at = TotalizerReadAt(start);
    if (pause)
        Clock_.sleepMs(PauseAfterTotalizerMs);
    if (!read.Status.empty() || !std::isfinite(S_.TotalizerB.Value)) {
        LoseWetGramsB();
        return false;
    }
    CreditWetGramsB(S_.TotalizerB.Value, at);
    return true;
}

double TMixer::GasBDue(double at) const
{
    return MinutesFromDays(at - S_.TotalizerB.StartTime) * S_.DesiredFlowBGramsperMinute;
}

// A set-point of gas B held into the next tick gets the wet path for the
// time its share of the gas asks for, as a constant gas B does: the closing
// exchange is the smallest wet stretch, given at half of it due, and closes
// that much early. The stretch lies in the middle between a reading before
// and one after it, so that a flow still rising or falling is shared
// fairly. True when the wet path was open in this tick.
bool TMixer::ShareHeldGasB(double share)
{
    const double flow = S_.PulsesB.Flow();
    if (!S_.PulsesB.Open() || !(flow > 0.0) || !ReadGasBForWater(false))
        return false;
    const double readEnd = Clock_.now();
    const double lag = DaysFromMinutes((share * GasBDue(S_.H2OLastTotalizerBAt) - S_.H2OGramsB) / flow);
    const double closing = RelayExchangeDays_;
    const double holdMs = MsFromDays(lag - closing);
    bool wet = false;
    bool switched = false;
    if (!(lag >= closing / 2)) {
        switched = S_.H2OPathHeld && SwitchWetPathB(false, Clock_.now());
    } else if (S_.H2OPathHeld && holdMs > MaxWaterHoldMs) {
        wet = true;
    } else {
        const double hold = std::clamp(holdMs, 0.0, static_cast<double>(MaxWaterHoldMs));
        const double stretch = hold + 2 * MsFromDays(closing);
        const auto pad = static_cast<unsigned>(std::lround(std::max(0.0, (PauseAfterTotalizerMs - stretch) / 2)));
        Clock_.sleepMs(pad);
        wet = switched = S_.H2OPathHeld || SwitchWetPathB(true, Clock_.now());
        if (wet && !(holdMs > MaxWaterHoldMs)) {
            Clock_.sleepMs(static_cast<unsigned>(std::lround(hold)));
            SwitchWetPathB(false, Clock_.now());
            Clock_.sleepMs(pad);
        }
    }
    // The bus's pause after the reading, and the reading after the switch.
    const double sinceRead = MsFromDays(Clock_.now() - readEnd);
    if (sinceRead < PauseAfterTotalizerMs)
        Clock_.sleepMs(static_cast<unsigned>(std::ceil(PauseAfterTotalizerMs - sinceRead)));
    if (switched)
        ReadGasBForWater(true);
    return wet;
}

// A tick whose gas B went through the bubbler, as a pulse or held, stores
// its row.
void TMixer::SendH2OByGasB(double share)
{
    const double now = Clock_.now();
    const bool pulse = WetPulseGiven_;
    WetPulseGiven_ = false;
    if (!ShareHeldGasB(share) && !pulse)
        return;
    Trace(QString());
    Trace(QStringLiteral("Total elapsed time ") + FormatDayCount(DurationPicture, now - S_.DilutionStartTime));
    Trace(QStringLiteral("Required B in H2O  ") + FormatFloat(MassPicture, share * GasBDue(now))
          + QStringLiteral(" g"));
    Trace(QStringLiteral("Ratio              ") + FormatFloat(QStringLiteral("0.000"), share));
    Trace(QStringLiteral("B in H2O actual    ") + FormatFloat(MassPicture, S_.H2OGramsB) + QStringLiteral(" g"));
    StoreH2OPulseRow();
}
