#pragma once

#include "bubbler_model.h"
#include "mfc_bus_model.h"
#include "relay_board_model.h"
#include "simulated_port.h"

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

    RelayBoardModel relay;
    SimulatedPort relayPort;
    MfcBusModel mfc;
    SimulatedPort mfcPort;
    BubblerModel bubbler;

private:
    // Credits the gas B delivered since the last account to the bubbler
    // when `pattern` routed it there.
    void Account(double at, std::uint8_t pattern);

    double accountedGramsB_ = 0.0;
};
