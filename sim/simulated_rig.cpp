#include "simulated_rig.h"

SimulatedRig::SimulatedRig(Clock& clock)
    : mfcPort(mfc, clock)
{
}

void SimulatedRig::registerOn(SerialLines& lines)
{
    registerSimulatedPort(lines, MfcPortName, mfcPort);
}
