#include "clock.h"
#include "form1.h"
#include "operator_dialogs.h"
#include "simulated_rig.h"
#include "system_serial_lines.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dilutra"));
    // The installed menu entry and icon, so the desktop shows the window
    // with them.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dilutra.Dilutra"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.dilutra.Dilutra")));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Operates a laboratory gas mixer."));
    options.addHelpOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral(
            "Also offer the simulated rig's ports (SIM-RELAY and SIM-MFC), to try the program without hardware."));
    options.addOption(simulate);
    options.process(app);

    RealClock clock;
    TQtDialogs dialogs;
    SystemSerialLines lines;
    // The simulated equipment runs in-process on the real clock, so every
    // exchange takes the time it takes on a real rig.
    std::unique_ptr<SimulatedRig> rig;
    if (options.isSet(simulate)) {
        rig = std::make_unique<SimulatedRig>(clock);
        rig->registerOn(lines);
    }

    TForm1 form({clock, dialogs, lines});
    form.show();
    return QApplication::exec();
}
