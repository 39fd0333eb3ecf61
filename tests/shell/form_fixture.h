#pragma once

#include "clock.h"
#include "form1.h"
#include "mixer_core.h"
#include "qt_printers.h"
#include "recording_dialogs.h"
#include "serial_lines.h"
#include "simulated_rig.h"

#include <QListWidget>

// The port names the simulated flow controllers and relay board answer on.
inline constexpr const char* SimulatedMfcPort = SimulatedRig::MfcPortName;
inline constexpr const char* SimulatedRelayPort = SimulatedRig::RelayPortName;

// A main window on the fake clock with recording dialogs, wired to the
// simulated rig: the two flow controllers on SimulatedMfcPort and the relay
// board on SimulatedRelayPort. The port list holds only the simulated ports,
// whatever the machine has.
struct FormFixture {
    FakeClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig{clock};
    MfcBusModel& mfc = rig.mfc;
    SimulatedPort& mfcPort = rig.mfcPort;
    RelayBoardModel& relay = rig.relay;
    SimulatedPort& relayPort = rig.relayPort;
    RegisteredSerialLines lines;
    TForm1 form{TFormServices{clock, dialogs, lines}};

    FormFixture() { rig.registerOn(lines); }

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

    // Both ports chosen and validated, then the gases at these positions of
    // the gas lists chosen as the operator chooses them.
    void ChooseGases(int gasA = 0, int gasB = 0)
    {
        SelectMfcPort();
        SelectRelayPort();
        form.ButtonSetupValidateClick();
        form.ListBoxSetupGas1->setCurrentRow(gasA);
        form.ListBoxSetupGas1Click();
        form.ListBoxSetupGas2->setCurrentRow(gasB);
        form.ListBoxSetupGas2Click();
    }
};
