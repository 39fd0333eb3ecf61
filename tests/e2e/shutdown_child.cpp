// The child of the shutdown test: the window on the system's serial path
// with the two device paths given (relay board, controllers), its core on a
// thread of its own as in the program, ended from outside as the program
// is. It sets up, starts a dilution of 5000 ppm oxygen in argon, prints
// "ready" once the ticks have sent the gas out, and runs until it is ended.
#include "clock.h"
#include "form1.h"
#include "path_serial_lines.h"
#include "recording_dialogs.h"
#include "rt_integer_edit.h"
#include "shutdown_signals.h"
#include "window_setup.h"

#include <QApplication>
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
    TForm1 form({clock, dialogs, lines, nullptr, TRigThread::Worker});
    InstallShutdownSignals(app, [&form] { form.ShutDown(); });

    if (!SetUpThroughTheWindow(form, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])))
        return 3;
    form.RtIntegerEditGasAPPM->SetValue(5000);
    form.ButtonDilutionClick();
    QTimer::singleShot(1000, &app, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
