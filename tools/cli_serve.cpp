#include "cli_serve.h"

#include "cli_arguments.h"
#include "rig_setup.h"
#include "serve_signals.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>

const char* const ServeSynopsis
    = "serve (--relay-port P --mfc-port P | --simulate) --gas-a NAME --gas-b NAME [--listen ADDR:PORT]\n"
      "                                                   the rig without a window, driven over SCPI (port 5025)";

namespace {

QCommandLineOption Option(const char* name, const char* description, const char* value = nullptr)
{
    return value
        ? QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description), QString::fromLatin1(value))
        : QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
}

const QCommandLineOption RelayPort = Option("relay-port", "Serial port of the relay board.", "P");
const QCommandLineOption MfcPort = Option("mfc-port", "Serial port of the two flow controllers.", "P");
const QCommandLineOption Simulate
    = Option("simulate", "Run the simulated rig (SIM-RELAY and SIM-MFC) instead of equipment on serial ports.");
const QCommandLineOption SimulateFault(QStringLiteral("simulate-fault"),
                                       QStringLiteral("With --simulate: the simulated rig fails S seconds after its "
                                                      "start, as the program's --simulate-fault: one of %1. May be "
                                                      "given more than once.")
                                           .arg(QString::fromStdString(RigFaultForms())),
                                       QStringLiteral("KIND@S[:ARG]"));
const QCommandLineOption Listen
    = Option("listen", "Where the command server listens (default 127.0.0.1:5025; port 0 picks one).", "ADDR:PORT");

std::string Gas(const CliCommandLine& line, const QCommandLineOption& option, std::uint32_t address)
{
    const std::string gas = line.Text(option);
    if (GasListPosition(address, gas) < 0)
        throw CliError(OptionName(option) + (address == 1 ? " must be O2 or 5%H2,95%Ar" : " must be Ar or N2")
                       + ", not '" + gas + "'");
    return gas;
}

void ReadOptions(const CliCommandLine& line, TServeOptions& o)
{
    if (!line.Positional().empty())
        throw CliError("unexpected argument '" + line.Positional().front() + "'");
    o.Simulate = line.Has(Simulate);
    o.RelayPort = line.TextOr(RelayPort, "");
    o.MfcPort = line.TextOr(MfcPort, "");
    if (!o.Simulate && (o.RelayPort.empty() || o.MfcPort.empty()))
        throw CliError("name both ports (--relay-port and --mfc-port), or run the simulated rig (--simulate)");
    for (const std::string& value : line.Texts(SimulateFault)) {
        const auto fault = ParseScheduledFault(value);
        if (!fault)
            throw CliError("--simulate-fault " + value + ": expected one of " + RigFaultForms());
        o.Faults.push_back(*fault);
    }
    if (!o.Faults.empty() && !o.Simulate)
        throw CliError("--simulate-fault needs --simulate");
    o.GasA = Gas(line, CliOption::GasA(), 1);
    o.GasB = Gas(line, CliOption::GasB(), 2);
    if (line.Has(Listen)) {
        const std::string text = line.Text(Listen);
        const auto where = ParseListenAddress(QString::fromStdString(text));
        if (!where)
            throw CliError("--listen must be ADDR:PORT (an IP address, [an IPv6 address] or localhost), not '" + text
                           + "'");
        o.Listen = *where;
    }
}

}  // namespace

std::optional<int> ReadServeCommand(const std::vector<std::string>& args, TServeOptions& o, std::ostream& out,
                                    std::ostream& err)
{
    CliCommandLine line("serve", "Runs the rig without a window; lab scripts drive it with SCPI commands over TCP.");
    for (const QCommandLineOption* option :
         {&RelayPort, &MfcPort, &Simulate, &CliOption::GasA(), &CliOption::GasB(), &Listen})
        line.Add(*option);
    line.AddRepeatable(SimulateFault);
    if (const std::optional<int> done = line.Parse(args, out, err))
        return done;
    try {
        ReadOptions(line, o);
    } catch (const CliError& e) {
        return line.Refuse(err, e.what());
    }
    return std::nullopt;
}

int ServeCommand(const std::vector<std::string>& args)
{
    TServeOptions options;
    if (const std::optional<int> done = ReadServeCommand(args, options, std::cout, std::cerr))
        return *done;
    // The journal goes where the window's goes.
    QCoreApplication::setApplicationName(QStringLiteral("Dilutra"));
    TServe serve(options, stdout, stderr);
    InstallStopSignals(*QCoreApplication::instance(), [&serve] { serve.Stop(); });
    return serve.Run();
}
