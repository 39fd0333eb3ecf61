#pragma once

#include "mfc_bus_model.h"
#include "relay_board_model.h"
#include "rig_faults.h"
#include "simulated_port.h"

#include <vector>

class Clock;
class SerialLines;

// The mixer's equipment, simulated in-process: the relay board with its
// valves and bubbler thermistor, and the two flow controllers on their
// shared bus, each behind its own port on the given clock. The program
// offers the rig's ports beside the system's ones when it runs without
// hardware; tests drive the same rig on a fake clock.
class SimulatedRig {
public:
    static constexpr const char* RelayPortName = "SIM-RELAY";
    static constexpr const char* MfcPortName = "SIM-MFC";

    explicit SimulatedRig(Clock& clock);
    SimulatedRig(const SimulatedRig&) = delete;
    SimulatedRig& operator=(const SimulatedRig&) = delete;

    // Offers the rig's ports on `lines`, listed after the system's ports:
    // the relay board's, then the controllers'. The rig must outlive
    // `lines`' use of them.
    void registerOn(SerialLines& lines);

    // Makes the rig fail `seconds` after it was made. The fault starts with
    // the first exchange on either port at or after that moment, and stays.
    void scheduleFault(TRigFault fault, double seconds);
    // Seconds on the clock since the rig was made.
    double secondsSinceStart() const;

    RelayBoardModel relay;
    SimulatedPort relayPort;
    MfcBusModel mfc;
    SimulatedPort mfcPort;

private:
    void ApplyDueFaults(double at);
    void Apply(TRigFault fault, double at);

    Clock& Clock_;
    double Start_;
    std::vector<TScheduledFault> Pending_;
};
