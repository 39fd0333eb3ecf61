#pragma once

#include "bubbler_model.h"
#include "mfc_bus_model.h"
#include "relay_board_model.h"
#include "rig_faults.h"
#include "simulated_port.h"

#include <vector>

class Clock;
class SerialLines;

// The mixer's equipment, simulated in-process: the relay board with its
// valves and bubbler thermistor, the two flow controllers on their shared
// bus, each behind its own port on the given clock, and the bubbler. The
// program offers the rig's ports beside the system's ones when it runs
// without hardware; tests and dry runs drive the same rig on a fake clock.
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

    // The bubbler brought up to `at` (day count): the gas B controller 2 has
    // delivered while the valves routed it through the bubbler, at the
    // bubbler's temperature, with the water it took up.
    const BubblerModel& bubblerAt(double at);

    // Whether the rig keeps what the devices received (long runs turn it off).
    void keepRecords(bool keep);

    // Makes the rig fail `seconds` after it was made. The fault starts with
    // the first exchange on either port at or after that moment, and stays;
    // an unplugged port comes back as the first exchange after its seconds
    // are over tries it.
    void scheduleFault(TRigFault fault, double seconds);
    void scheduleFault(const TScheduledFault& fault);
    // Seconds on the clock since the rig was made.
    double secondsSinceStart() const;

    RelayBoardModel relay;
    SimulatedPort relayPort;
    MfcBusModel mfc;
    SimulatedPort mfcPort;
    BubblerModel bubbler;

private:
    void ApplyDueFaults(double at);
    void Apply(const TScheduledFault& fault, double at);
    // Credits the gas B delivered since the last account to the bubbler
    // when `pattern` routed it there.
    void Account(double at, std::uint8_t pattern);

    Clock& Clock_;
    double Start_;
    std::vector<TScheduledFault> Pending_;
    double ReplugAt_ = -1.0;  // seconds since the start; negative: not unplugged
    double accountedGramsB_ = 0.0;
};
