#pragma once

#include "clock.h"
#include "form1.h"
#include "mfc_bus_model.h"
#include "recording_dialogs.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <QListWidget>

// The port name the simulated flow controllers answer on.
inline constexpr const char* SimulatedMfcPort = "SIM-MFC";

// A main window on the fake clock with recording dialogs, wired to simulated
// equipment: the two flow controllers on SimulatedMfcPort. The port list
// holds only the simulated ports, whatever the machine has.
struct FormFixture {
    FakeClock clock;
    RecordingDialogs dialogs;
    MfcBusModel mfc;
    SimulatedPort mfcPort{mfc, clock};
    RegisteredSerialLines lines;
    TForm1 form{TFormServices{clock, dialogs, lines}};

    FormFixture() { registerSimulatedPort(lines, SimulatedMfcPort, mfcPort); }

    // Puts the simulated controllers' port into ListBoxPortMFC and selects
    // it, as the operator would after "Find ports".
    void SelectMfcPort()
    {
        form.ListBoxPortMFC->clear();
        form.ListBoxPortMFC->addItem(QString::fromLatin1(SimulatedMfcPort));
        form.ListBoxPortMFC->setCurrentRow(0);
    }
};
