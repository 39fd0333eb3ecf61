#pragma once

#include "equipment_gateway.h"
#include "mixer.h"
#include "rig_setup.h"
#include "window_state.h"

class Clock;
class SerialLines;
class TMixerHost;

// The whole core in one object, living on one thread: the mixer's
// variables, the equipment gateway on the setup's ports, the setup and the
// mixer. Its clients change it only by commands and learn of it only from
// what it reports to the host.
class TMixerCore {
public:
    TMixerCore(SerialLines& lines, Clock& clock, TMixerHost& host);
    TMixerCore(const TMixerCore&) = delete;
    TMixerCore& operator=(const TMixerCore&) = delete;

    // One tick of the mixer, then the readout of what it delivers.
    void Tick();
    // The close duties: every valve closed on every relay-board port
    // commanded in this run (and on the proven one), then both set-points
    // zero on every controller port commanded (and the proven one); a
    // running flush ends and no tick acts from then on. Results are not
    // examined: the close is never refused.
    void Close();

    TMixerHost& Host;
    TWindowState State;
    TEquipmentGateway Gateway;
    TRigSetup Setup;
    TMixer Mixer;
};
