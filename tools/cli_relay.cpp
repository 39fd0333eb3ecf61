#include "cli_relay.h"

#include "clock.h"
#include "relay_board.h"
#include "system_serial_lines.h"

#include <iomanip>
#include <iostream>

namespace {

constexpr int Done = 0;
constexpr int BoardFailed = 1;
constexpr int BadArguments = 2;

int Usage(std::ostream& err, const std::string& why)
{
    err << "dilutra-cli relay: " << why << '\n';
    return BadArguments;
}

int Check(const RelayBoard& board, std::ostream& out, std::ostream& err)
{
    const TBoardCheck check = CheckRelayBoard(board);
    out << "board: " << (check.Ok ? "OK" : "NOT OK") << '\n'
        << "reply: " << (check.Response.ResponseLength > 0 ? int{check.Response.rArray[0]} : 0) << '\n';
    if (!check.Response.Status.empty())
        err << "board check: " << check.Response.Status << '\n';
    return check.Ok ? Done : BoardFailed;
}

int Valves(const RelayBoard& board, const std::string& digits, std::ostream& out, std::ostream& err)
{
    if (digits.size() != 6 || digits.find_first_not_of("01") != std::string::npos)
        return Usage(err, "valves takes six 0/1 digits, V1 first (for example 110010)");
    std::uint8_t pattern = 0;
    for (int i = 0; i < 6; ++i)
        pattern |= static_cast<std::uint8_t>((digits[static_cast<std::size_t>(i)] == '1' ? 1 : 0) << i);
    const TSerialResponse r = SendValvePattern(board, pattern);
    if (!r.Status.empty()) {
        err << "valves: " << r.Status << '\n';
        return BoardFailed;
    }
    out << "valves: " << digits << '\n' << "pattern: " << int{pattern} << '\n';
    return Done;
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
        return Done;
    }
    for (const std::string& line : r.Lines)
        err << line << '\n';
    return BoardFailed;
}

} // namespace

int RunRelay(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out,
             std::ostream& err)
{
    std::string port;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            if (i + 1 >= args.size())
                return Usage(err, "--port needs a value");
            port = args[++i];
        } else {
            rest.push_back(args[i]);
        }
    }
    if (port.empty() || rest.empty())
        return Usage(err, "needs --port P and an action (check, valves B1..B6, temperature)");
    const RelayBoard board{lines, clock, port};
    out << std::setprecision(7);
    const std::string& action = rest[0];
    if (action == "check" && rest.size() == 1)
        return Check(board, out, err);
    if (action == "valves" && rest.size() == 2)
        return Valves(board, rest[1], out, err);
    if (action == "temperature" && rest.size() == 1)
        return Temperature(board, out, err);
    return Usage(err, "unknown action or wrong arguments: " + action);
}

int RunRelayCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    RealClock clock;
    return RunRelay(args, lines, clock, std::cout, std::cerr);
}
