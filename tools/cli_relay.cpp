#include "cli_relay.h"

#include "cli_arguments.h"
#include "clock.h"
#include "relay_board.h"
#include "system_serial_lines.h"

#include <iomanip>
#include <iostream>

namespace {

int Check(const RelayBoard& board, std::ostream& out, std::ostream& err)
{
    const TBoardCheck check = CheckRelayBoard(board);
    out << "board: " << (check.Ok ? "OK" : "NOT OK") << '\n'
        << "reply: " << (check.Response.ReceivedCount > 0 ? int{check.Response.rArray[0]} : 0) << '\n';
    if (!check.Response.Status.empty())
        err << "board check: " << check.Response.Status << '\n';
    return check.Ok ? ExitDone : ExitFailed;
}

int Valves(const RelayBoard& board, const std::string& digits, std::ostream& out, std::ostream& err)
{
    std::uint8_t pattern = 0;
    for (int i = 0; i < 6; ++i)
        pattern |= static_cast<std::uint8_t>((digits[static_cast<std::size_t>(i)] == '1' ? 1 : 0) << i);
    const TSerialResponse r = SendValvePattern(board, pattern);
    if (!r.Status.empty()) {
        err << "valves: " << r.Status << '\n';
        return ExitFailed;
    }
    out << "valves: " << digits << '\n' << "pattern: " << int{pattern} << '\n';
    return ExitDone;
}

int Temperature(const RelayBoard& board, std::ostream& out, std::ostream& err)
{
    const TBubblerReading r = ReadBubbler(board);
    if (r.Thermistor) {
        out << "dac: " << r.Thermistor->Dac << '\n'
            << "volt: " << r.Thermistor->Volt << '\n'
            << "ohm: " << r.Thermistor->Ohm << '\n'
            << "temperature_c: " << r.Thermistor->TemperatureC << '\n'
            << "ph2o_atm: " << *r.PressureATM << '\n';
        return ExitDone;
    }
    for (const std::string& line : r.Lines)
        err << line << '\n';
    return ExitFailed;
}

}  // namespace

int RunRelay(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out,
             std::ostream& err)
{
    CliCommandLine line("relay", "Runs the relay board's operations as the window does and prints the outcome.");
    line.Add(CliOption::Port());
    line.AddPositional(QStringLiteral("action"),
                       QStringLiteral("check | valves B1..B6 (six 0/1 digits, V1 first: 110010 opens V1, V2, V5) | "
                                      "temperature"),
                       QStringLiteral("action [B1..B6]"));
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    try {
        const std::vector<std::string> words = line.Positional();
        if (words.empty())
            throw CliError("needs --port P and an action (check, valves B1..B6, temperature)");
        const RelayBoard board{lines, clock, line.Text(CliOption::Port())};
        out << std::setprecision(7);
        const std::string& action = words[0];
        if (action == "check" && words.size() == 1)
            return Check(board, out, err);
        if (action == "valves" && words.size() == 2) {
            const std::string& digits = words[1];
            if (digits.size() != 6 || digits.find_first_not_of("01") != std::string::npos)
                throw CliError("valves takes six 0/1 digits, V1 first (for example 110010)");
            return Valves(board, digits, out, err);
        }
        if (action == "temperature" && words.size() == 1)
            return Temperature(board, out, err);
        throw CliError("unknown action or wrong arguments: " + action);
    } catch (const CliError& e) {
        return line.Refuse(err, e.what());
    }
}

int RunRelayCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    RealClock clock;
    return RunRelay(args, lines, clock, std::cout, std::cerr);
}
