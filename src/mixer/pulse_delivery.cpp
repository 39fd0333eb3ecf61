// A gas planned below its controller's minimum, in pulses: each tick reads
// the gas's totalizer and gives a pulse when what will have been delivered
// lags what is due by half a pulse at least. What will have been delivered
// is what the totalizer counted and what the controller, following its
// set-point with a lag, still delivers of the pulses asked for.
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mfc_registers.h"
#include "mixing_methods.h"
#include "number_picture.h"
#include "pulse_dosing.h"
#include "serial_line.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned PauseAfterTotalizerMs = 50;
constexpr unsigned PauseAfterPulseMs = 50;
// The tick's period: the time to the next decision before one was timed.
constexpr double TickMs = 250.0;
// The longest time to the next decision a held set-point is judged for.
constexpr double LongestHoldSeconds = 1.0;

const QString MassPicture = QStringLiteral("0.000 000 000");

}  // namespace

// The moments a controller acts on a frame: it takes a set-point once the
// 13 bytes of its write have arrived, and reads its totalizer once the 8
// bytes of the request have (9600 bit/s, two stop bits).
double SetPointTakenAt(double writeStart)
{
    return writeStart + DaysFromMs(WireTimeMs(9600, 0, 2, 13));
}
double TotalizerReadAt(double readStart)
{
    return readStart + DaysFromMs(WireTimeMs(9600, 0, 2, 8));
}

// What a pulse routine doses: the controller, its totalizer, the pulses it
// was given, the planned average flow it meters against, the controller's
// minimum, its pulse count and its trace labels (padded to one width).
struct TMixer::TPulsedGas {
    std::uint32_t Address;
    TTotalizer& Totalizer;
    TPulseLedger& Ledger;
    double DesiredFlow;
    float Minimum;
    std::int32_t& Counter;
    const char* ShouldBeLabel;
    const char* IsLabel;
    const char* SendLabel;
    const char* StopLabel;
    const char* Name;
};

void TMixer::AinBPulse()
{
    Pulse(TPulsedGas{AddressGasA, S_.TotalizerA, S_.PulsesA, S_.DesiredFlowAGramsperMinute, S_.FIA.Min, S_.Counter,
                     "Flow should be by now :", "Flow is by now        :", "Send more flow ", "Stop flow", "A"});
}

void TMixer::BinAPulse()
{
    Pulse(TPulsedGas{AddressGasB, S_.TotalizerB, S_.PulsesB, S_.DesiredFlowBGramsperMinute, S_.FIB.Min, S_.CounterB,
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
    TPulseLedger& ledger = gas.Ledger;
    const double readStart = Clock_.now();
    const TSerialResponse read = Gateway_.ReadTotalizer(gas.Address, gas.Totalizer);
    const double readAt = TotalizerReadAt(readStart);
    const bool readOk = read.Status.empty() && std::isfinite(gas.Totalizer.Value);
    const bool gasB = gas.Address == AddressGasB;

    const float flow = PulseSetPoint(gas);
    const double exchange = ledger.ExchangeDays > 0.0 ? ledger.ExchangeDays : DaysFromMs(SetPointExchangeMs);
    double counted = gas.Totalizer.Value;
    // What is due at `at` and not yet delivered, nor on its way, nor given
    // by a set-point that is up until the write that drops it has gone out.
    auto lagAt = [&](double at) {
        const double due = MinutesFromDays(at - gas.Totalizer.StartTime) * gas.DesiredFlow;
        const double closing = ledger.Open() ? ledger.Flow() * MinutesFromDays(SetPointTakenAt(at) - at) : 0.0;
        return due - counted - ledger.OnItsWay(at, counted) - closing;
    };
    // A pulse lasts its pause and the write that ends it. Given when half of
    // it is due, the pulses keep the delivery within half a pulse of the
    // plan, spread evenly, the first one included.
    const double smallest = flow * MinutesFromDays(DaysFromMs(PulseLengthMs) + exchange);

    // Gas B with water: the path for a pulse about to start is set right
    // after the reading; gas B still on its way from an earlier pulse is
    // read again after the switch, and what was counted in between is shared
    // by time (a set-point held into the next tick shares its time between
    // the paths, SendH2OByGasB).
    const double decidedAt = Clock_.now();
    const bool give = readOk && lagAt(decidedAt) >= smallest / 2;
    bool readAgain = false;
    if (gasB && readOk) {
        CreditWetGramsB(counted, readAt);
        if (give && !ledger.Open()) {
            const double onItsWay = ledger.OnItsWay(decidedAt, counted);
            readAgain = ChooseWetPath(onItsWay, smallest, onItsWay > smallest / 100);
        }
    }
    Clock_.sleepMs(PauseAfterTotalizerMs);
    if (readAgain && ReadGasBForWater(true))
        counted = gas.Totalizer.Value;

    const double now = Clock_.now();
    const double ElapsedTime = MinutesFromDays(now - gas.Totalizer.StartTime);
    const double shouldBe = ElapsedTime * gas.DesiredFlow;
    Trace(QStringLiteral("Elapsed time          :") + FormatFloat(QStringLiteral("0"), ElapsedTime * 60)
          + QStringLiteral(" s"));
    Trace(QLatin1String(gas.ShouldBeLabel) + FormatFloat(MassPicture, shouldBe) + QStringLiteral(" g"));
    Trace(QLatin1String(gas.IsLabel) + FormatFloat(MassPicture, gas.Totalizer.Value) + QStringLiteral(" g"));
    // How long the set-point would stay up if held now: until the next
    // decision, a tick from now.
    const double ahead = ledger.LastDecision < 0.0
        ? DaysFromMs(TickMs)
        : std::clamp(now - ledger.LastDecision, DaysFromMs(PulseLengthMs), DaysFromSeconds(LongestHoldSeconds));
    ledger.LastDecision = now;

    if (!readOk) {
        // Without the delivered mass there is no lag to make up: the gas
        // stays off until a reading succeeds.
        Trace(QLatin1String(gas.StopLabel) + QStringLiteral(" (totalizer not read)"));
        if (gasB)
            LoseWetGramsB();
        StopPulse(gas);
        return;
    }
    if (!give) {
        Trace(QLatin1String(gas.StopLabel));
        StopPulse(gas);
        return;
    }
    ++gas.Counter;
    Trace(QLatin1String(gas.SendLabel) + QString::number(gas.Counter));
    if (!WritePulseSetPoint(gas, flow)) {
        StopPulse(gas);
        return;
    }
    Clock_.sleepMs(PulseLengthMs);
    // The set-point stays up into the next tick, which decides afresh, while
    // half of what it gives until then is due: a planned flow near the pulse
    // flow needs more than one pulse a tick.
    if (lagAt(Clock_.now()) >= flow * MinutesFromDays(ahead) / 2)
        return;
    StopPulse(gas);
}

// Raises the set-point; the pulse counts from the answered write.
bool TMixer::WritePulseSetPoint(const TPulsedGas& gas, float flow)
{
    const double start = Clock_.now();
    if (!Gateway_.WriteSetPoint(gas.Address, flow).Status.empty())
        return false;
    gas.Ledger.ExchangeDays = Clock_.now() - start;
    if (!gas.Ledger.Open() || gas.Ledger.Flow() != flow)
        gas.Ledger.Opened(SetPointTakenAt(start), flow);
    return true;
}

// Drops the set-point to 0. A write that was not answered leaves the pulse
// counted as running: the controller may still be delivering it.
void TMixer::StopPulse(const TPulsedGas& gas)
{
    const double start = Clock_.now();
    if (Gateway_.WriteSetPoint(gas.Address, 0.0f).Status.empty()) {
        gas.Ledger.ExchangeDays = Clock_.now() - start;
        gas.Ledger.Closed(SetPointTakenAt(start));
    }
    Clock_.sleepMs(PauseAfterPulseMs);
}
