// The child of the shutdown test: the window on the system's serial path
// with the two device paths given (relay board, controllers), ended from
// outside as the program is. It sets up, starts a dilution of 5000 ppm
// oxygen in argon, prints "ready" once the ticks have sent the gas out, and
// runs until it is ended.
#include "clock.h"
#include "form1.h"
#include "path_serial_lines.h"
#include "recording_dialogs.h"
#include "rt_integer_edit.h"
#include "shutdown_signals.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    QApplication app(argc, argv);
    RealClock clock;
    RecordingDialogs dialogs;
    PathSerialLines lines({argv[1], argv[2]});
    TForm1 form({clock, dialogs, lines});
    InstallShutdownSignals(app, [&form] { form.ShutDown(); });

    form.ButtonSetupFindPortsClick();
    form.ListBoxPortSolenoid->setCurrentRow(0);
    form.ListBoxPortMFC->setCurrentRow(1);
    form.ButtonSetupValidateClick();
    form.ListBoxSetupGas1->setCurrentRow(0);
    form.ListBoxSetupGas1Click();
    form.ListBoxSetupGas2->setCurrentRow(0);
    form.ListBoxSetupGas2Click();
    form.RtIntegerEditGasAPPM->SetValue(5000);
    form.RtIntegerEditGasBPPM->SetValue(995000);
    form.ButtonDilutionClick();
    QTimer::singleShot(1000, &app, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
