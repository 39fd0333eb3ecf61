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
    Pending_.push_back({fault, seconds});
}

double SimulatedRig::secondsSinceStart() const
{
    return (Clock_.now() - Start_) * SecondsPerDay;
}

void SimulatedRig::ApplyDueFaults(double at)
{
    const double elapsed = (at - Start_) * SecondsPerDay;
    auto due = [elapsed](const TScheduledFault& f) { return f.Seconds <= elapsed; };
    for (const TScheduledFault& f : Pending_) {
        if (due(f))
            Apply(f.Fault, at);
    }
    Pending_.erase(std::remove_if(Pending_.begin(), Pending_.end(), due), Pending_.end());
}

void SimulatedRig::Apply(TRigFault fault, double at)
{
    switch (fault) {
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
