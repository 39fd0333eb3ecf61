#include "simulated_rig.h"

SimulatedRig::SimulatedRig(Clock& clock)
    : relayPort(relay, clock)
    , mfcPort(mfc, clock)
{
    // Gas B goes where the valves were set until each switch.
    relay.OnSwitch = [this](double at, std::uint8_t from, std::uint8_t) { Account(at, from); };
}

void SimulatedRig::registerOn(SerialLines& lines)
{
    registerSimulatedPort(lines, RelayPortName, relayPort);
    registerSimulatedPort(lines, MfcPortName, mfcPort);
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
