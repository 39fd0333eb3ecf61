#pragma once

#include "clock.h"
#include "form1.h"
#include "mfc_bus_model.h"
#include "qt_printers.h"
#include "recording_dialogs.h"
#include "relay_board_model.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <QListWidget>

// The port names the simulated flow controllers and relay board answer on.
inline constexpr const char* SimulatedMfcPort = "SIM-MFC";
inline constexpr const char* SimulatedRelayPort = "SIM-RELAY";

// A main window on the fake clock with recording dialogs, wired to simulated
// equipment: the two flow controllers on SimulatedMfcPort and the relay
// board on SimulatedRelayPort. The port list holds only the simulated ports,
// whatever the machine has.
struct FormFixture {
    FakeClock clock;
    RecordingDialogs dialogs;
    MfcBusModel mfc;
    SimulatedPort mfcPort{mfc, clock};
    RelayBoardModel relay;
    SimulatedPort relayPort{relay, clock};
    RegisteredSerialLines lines;
    TForm1 form{TFormServices{clock, dialogs, lines}};

    FormFixture()
    {
        registerSimulatedPort(lines, SimulatedMfcPort, mfcPort);
        registerSimulatedPort(lines, SimulatedRelayPort, relayPort);
    }

    // Puts the simulated controllers' port into ListBoxPortMFC and selects
    // it, as the operator would after "Find ports".
    void SelectMfcPort()
    {
        form.ListBoxPortMFC->clear();
        form.ListBoxPortMFC->addItem(QString::fromLatin1(SimulatedMfcPort));
        form.ListBoxPortMFC->setCurrentRow(0);
    }

    // The same for the relay board's port in ListBoxPortSolenoid.
    void SelectRelayPort()
    {
        form.ListBoxPortSolenoid->clear();
        form.ListBoxPortSolenoid->addItem(QString::fromLatin1(SimulatedRelayPort));
        form.ListBoxPortSolenoid->setCurrentRow(0);
    }
};
