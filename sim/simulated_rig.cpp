#include "simulated_rig.h"

#include "clock.h"
#include "relay_board_model.h"
#include "time_units.h"

#include <algorithm>

namespace {

// What the converter reads with the thermistor's wire broken: the full
// divider voltage.
constexpr std::uint16_t OpenCircuitCount = 1023;

}  // namespace

SimulatedRig::SimulatedRig(Clock& clock)
    : relayPort(relay, clock)
    , mfcPort(mfc, clock)
    , Clock_(clock)
    , Start_(clock.now())
{
    // Gas B goes where the valves were set until each switch.
    relay.OnSwitch = [this](double at, std::uint8_t from, std::uint8_t) { Account(at, from); };
    relayPort.BeforeExchange = [this](double at) { ApplyDueFaults(at); };
    mfcPort.BeforeExchange = [this](double at) { ApplyDueFaults(at); };
}

void SimulatedRig::registerOn(SerialLines& lines)
{
    registerSimulatedPort(lines, RelayPortName, relayPort);
    registerSimulatedPort(lines, MfcPortName, mfcPort);
}

void SimulatedRig::scheduleFault(TRigFault fault, double seconds)
{
    scheduleFault(TScheduledFault{fault, seconds, 0.0});
}

void SimulatedRig::scheduleFault(const TScheduledFault& fault)
{
    Pending_.push_back(fault);
}

double SimulatedRig::secondsSinceStart() const
{
    return (Clock_.now() - Start_) * SecondsPerDay;
}

void SimulatedRig::ApplyDueFaults(double at)
{
    const double elapsed = (at - Start_) * SecondsPerDay;
    auto due = [elapsed](const TScheduledFault& f) { return f.Seconds <= elapsed; };
    const std::vector<TScheduledFault> pending = Pending_;
    Pending_.erase(std::remove_if(Pending_.begin(), Pending_.end(), due), Pending_.end());
    for (const TScheduledFault& f : pending) {
        if (due(f))
            Apply(f, at);
    }
    if (ReplugAt_ >= 0.0 && ReplugAt_ <= elapsed) {
        ReplugAt_ = -1.0;
        mfcPort.Unavailable = false;
    }
}

void SimulatedRig::Apply(const TScheduledFault& fault, double at)
{
    switch (fault.Fault) {
    case TRigFault::RelaySilent: relay.Faults.Silent = true; break;
    case TRigFault::Mfc1Silent: mfc.faults(1).Silent = true; break;
    case TRigFault::Mfc2Silent: mfc.faults(2).Silent = true; break;
    case TRigFault::MfcBadCrc:
        mfc.faults(1).BadCrc = true;
        mfc.faults(2).BadCrc = true;
        break;
    case TRigFault::GasBEmpty:
        // The gas delivered up to now still counts.
        mfc.totalizerKg(2, at);
        mfc.faults(2).NoGas = true;
        break;
    case TRigFault::BubblerOpenCircuit: relay.Faults.AnalogueCount = OpenCircuitCount; break;
    case TRigFault::MfcFlaky:
        mfc.faults(1).CorruptPercent = fault.Argument;
        mfc.faults(2).CorruptPercent = fault.Argument;
        break;
    case TRigFault::PortUnplug:
        // The adapter is gone: the port is not there, and a transaction
        // holding it finds it vanished.
        mfcPort.Unavailable = true;
        mfcPort.UnavailableBecause = {SerialOpenFailure::Reason::Missing, {}, {}};
        ReplugAt_ = (at - Start_) * SecondsPerDay + fault.Argument;
        break;
    case TRigFault::MfcStale:
        // The totalizer stops at what it counted up to now.
        mfc.faults(2).TotalizerKg = static_cast<float>(mfc.totalizerKg(2, at));
        break;
    }
}

void SimulatedRig::Account(double at, std::uint8_t pattern)
{
    const double grams = mfc.deliveredGrams(2, at);
    if (BubblerModel::Bubbles(pattern)) {
        const MfcGasTable* gas = mfc.tableInUse(2);
        bubbler.Pass(grams - accountedGramsB_, gas ? gas->MolarMass : 0.0, relay.BubblerTemperatureC);
    }
    accountedGramsB_ = grams;
}

const BubblerModel& SimulatedRig::bubblerAt(double at)
{
    Account(at, relay.pattern());
    return bubbler;
}

void SimulatedRig::keepRecords(bool keep)
{
    relay.KeepRecords = keep;
    mfc.KeepRecords = keep;
}
