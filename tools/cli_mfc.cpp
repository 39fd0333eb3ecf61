#include "cli_mfc.h"

#include "cli_arguments.h"
#include "clock.h"
#include "mfc_services.h"
#include "system_serial_lines.h"

#include <iomanip>
#include <iostream>

namespace {

const char* const Actions = "identify, gas-table, setpoint, totalizers";

int Failed(std::ostream& err, const std::string& what, const std::string& status)
{
    err << what << ": " << status << '\n';
    return ExitFailed;
}

int Identify(const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    const MfcIdentification id = IdentifyMFCs(bus);
    int result = ExitDone;
    for (const auto& [name, r] :
         {std::pair{"controller 1", &id.Controller1}, std::pair{"controller 2", &id.Controller2}}) {
        if (!r->Status.empty())
            result = Failed(err, name, r->Status);
        else
            out << name << ": " << r->AsString << '\n';
    }
    if (result == ExitDone && !id.Ok) {
        err << MfcsNotIdentified << '\n';
        result = ExitFailed;
    }
    return result;
}

std::uint32_t Address(const CliCommandLine& line)
{
    return static_cast<std::uint32_t>(line.Whole(CliOption::Address(), 1, 2));
}

int GasTable(const CliCommandLine& line, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    line.OnlyThese({&CliOption::Port(), &CliOption::Address(), &CliOption::Table()}, "gas-table");
    const std::uint32_t address = Address(line);
    const auto table = static_cast<std::uint16_t>(line.Whole(CliOption::Table(), 0, 65535));
    TFlowInfo info;
    double min = 0.0;
    double max = 0.0;
    const std::string status = MinMaxFlow(bus, address, table, info, min, max);
    if (!status.empty())
        return Failed(err, "gas table", status);
    out << "Name: " << info.Name << '\n'
        << "LongName: " << info.LongName << '\n'
        << "FlowUnit: " << info.FlowUnit << '\n'
        << "Max: " << info.Max << '\n'
        << "Dyn: " << info.Dyn << '\n'
        << "Min: " << info.Min << '\n';
    return ExitDone;
}

int SetPoint(const CliCommandLine& line, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    line.OnlyThese({&CliOption::Port(), &CliOption::Address(), &CliOption::Flow()}, "setpoint");
    const std::uint32_t address = Address(line);
    const double flow = line.Number(CliOption::Flow(), CliRange::SetPoint);
    const TSerialResponse r = SetMFCFlow(bus, address, flow);
    if (!r.Status.empty())
        return Failed(err, "setpoint", r.Status);
    out << "setpoint: " << static_cast<float>(flow) << '\n';
    return ExitDone;
}

int Totalizers(const CliCommandLine& line, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    line.OnlyThese({&CliOption::Port(), &CliOption::Reset()}, "totalizers");
    TTotalizer ta;
    TTotalizer tb;
    const bool reset = line.Has(CliOption::Reset());
    const std::string status = reset ? ResetRetrieveTotalizers(bus, ta, tb) : ReadTotalizers(bus, ta, tb);
    if (!status.empty())
        return Failed(err, "totalizers", status);
    out << "TotalizerA (g): " << (reset ? ta.StartValue : ta.Value) << '\n'
        << "TotalizerB (g): " << (reset ? tb.StartValue : tb.Value) << '\n';
    return ExitDone;
}

}  // namespace

int RunMfc(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out, std::ostream& err)
{
    CliCommandLine line("mfc", "Runs the flow controllers' services as the window does and prints what was read.");
    for (const QCommandLineOption* o :
         {&CliOption::Port(), &CliOption::Address(), &CliOption::Table(), &CliOption::Flow(), &CliOption::Reset()})
        line.Add(*o);
    line.AddPositional(QStringLiteral("action"),
                       QStringLiteral("identify | gas-table --address 1|2 --table N | "
                                      "setpoint --address 1|2 --flow G | totalizers [--reset]"));
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    try {
        const std::vector<std::string> words = line.Positional();
        if (words.size() != 1)
            throw CliError(std::string("needs --port P and one action (") + Actions + ")");
        const MfcBus bus{lines, clock, line.Text(CliOption::Port())};
        out << std::setprecision(7);
        const std::string& action = words[0];
        if (action == "identify") {
            line.OnlyThese({&CliOption::Port()}, "identify");
            return Identify(bus, out, err);
        }
        if (action == "gas-table")
            return GasTable(line, bus, out, err);
        if (action == "setpoint")
            return SetPoint(line, bus, out, err);
        if (action == "totalizers")
            return Totalizers(line, bus, out, err);
        throw CliError("unknown action '" + action + "' (" + Actions + ")");
    } catch (const CliError& e) {
        return line.Refuse(err, e.what());
    }
}

int RunMfcCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    RealClock clock;
    return RunMfc(args, lines, clock, std::cout, std::cerr);
}
