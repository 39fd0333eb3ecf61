#include "simulated_rig.h"

SimulatedRig::SimulatedRig(Clock& clock)
    : relayPort(relay, clock)
    , mfcPort(mfc, clock)
{
}

void SimulatedRig::registerOn(SerialLines& lines)
{
    registerSimulatedPort(lines, RelayPortName, relayPort);
    registerSimulatedPort(lines, MfcPortName, mfcPort);
}
