// A child process for the shutdown test: the program's window on the
// system's serial path, its ports the two device paths given (relay board,
// then flow controllers), ended from outside as the program is. It sets up
// as the operator does, starts a dilution of 5000 ppm oxygen in argon,
// prints "ready" once the first ticks have sent the gas out, and runs until
// it is ended.
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
    if (argc != 3) {
        std::fprintf(stderr, "usage: shutdown_child RELAY-PORT MFC-PORT\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
    form.ButtonDilutionClick();

    QTimer::singleShot(1000, &app, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
