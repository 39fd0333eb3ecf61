#include "clock.h"
#include "form1.h"
#include "journal.h"
#include "listen_address.h"
#include "operator_dialogs.h"
#include "rig_faults.h"
#include "shutdown_signals.h"
#include "simulated_rig.h"
#include "system_serial_lines.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

QString FaultKinds()
{
    return QString::fromStdString(RigFaultForms());
}

// Whether the command line asks only for the help or the version text.
bool AsksForTextOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    // The help and the version are printed and the program ends before any
    // window: they need no display, also on a machine without one.
    if (AsksForTextOnly(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dilutra"));
    QApplication::setApplicationVersion(QStringLiteral(DILUTRA_VERSION));
    // The installed menu entry and icon, so the desktop shows the window
    // with them.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dilutra.Dilutra"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.dilutra.Dilutra")));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Operates a laboratory gas mixer."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral(
            "Also offer the simulated rig's ports (SIM-RELAY and SIM-MFC), to try the program without hardware."));
    options.addOption(simulate);
    const QCommandLineOption simulateFault(
        QStringLiteral("simulate-fault"),
        QStringLiteral("With --simulate: the simulated rig fails S seconds after the start, at its next exchange, "
                       "and stays failed (an unplugged port comes back after its SECONDS). May be given more than "
                       "once. One of: %1.")
            .arg(FaultKinds()),
        QStringLiteral("KIND@S[:ARG]"));
    options.addOption(simulateFault);
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("Lets scripts drive the mixer with SCPI commands over TCP, on 127.0.0.1:5025 or on ADDR:PORT."),
        QStringLiteral("ADDR:PORT"));
    options.addOption(remote);
    // --remote may stand alone: it then listens where it does by default.
    QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--remote")
            && (i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-'))))
            arguments[i] = QStringLiteral("--remote=") + ListenAddressText(DefaultListenAddress());
    }
    options.process(arguments);
    std::optional<TListenAddress> remoteAddress;
    if (options.isSet(remote)) {
        remoteAddress = ParseListenAddress(options.value(remote));
        if (!remoteAddress) {
            std::fprintf(stderr,
                         "dilutra: --remote %s: expected ADDR:PORT (an IP address, [an IPv6 address] or "
                         "localhost)\n",
                         qPrintable(options.value(remote)));
            return 2;
        }
    }

    std::vector<TScheduledFault> faults;
    for (const QString& value : options.values(simulateFault)) {
        const auto fault = ParseScheduledFault(value.toStdString());
        if (!fault) {
            std::fprintf(stderr, "dilutra: --simulate-fault %s: expected one of %s\n", qPrintable(value),
                         qPrintable(FaultKinds()));
            return 2;
        }
        faults.push_back(*fault);
    }
    if (!faults.empty() && !options.isSet(simulate)) {
        std::fprintf(stderr, "dilutra: --simulate-fault needs --simulate\n");
        return 2;
    }

    RealClock clock;
    TQtDialogs dialogs;
    SystemSerialLines lines;
    // The simulated equipment runs in-process on the real clock, so every
    // exchange takes the time it takes on a real rig.
    std::unique_ptr<SimulatedRig> rig;
    if (options.isSet(simulate)) {
        rig = std::make_unique<SimulatedRig>(clock);
        for (const TScheduledFault& f : faults)
            rig->scheduleFault(f);
        rig->registerOn(lines);
    }

    // Every row of this run also goes to a file in the user's data folder.
    TJournal journal(clock);
    journal.UseFolder(TJournal::DefaultFolder());

    // The rig runs on a thread of its own: the window never waits for it.
    TForm1 form({clock, dialogs, lines, &journal, TRigThread::Worker});
    // A signal or the session's end makes the rig safe as closing does, and
    // ends the journal with its closing line.
    InstallShutdownSignals(app, [&form] { form.ShutDown(); });
    form.show();
    if (remoteAddress)
        form.StartRemote(*remoteAddress);
    const int code = QApplication::exec();
    journal.Close();  // closed with the window already; also when the program ends otherwise
    return code;
}
