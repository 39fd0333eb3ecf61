#include "cli_mfc.h"

#include "clock.h"
#include "mfc_services.h"
#include "system_serial_lines.h"

#include <charconv>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>

namespace {

constexpr int Done = 0;
constexpr int TransactionFailed = 1;
constexpr int BadArguments = 2;

struct MfcArguments {
    std::string Port;
    std::string Action;
    std::map<std::string, std::string> Options;  // "--address" -> "1"; flags map to ""
};

std::optional<MfcArguments> Parse(const std::vector<std::string>& args, std::ostream& err)
{
    MfcArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--reset") {
            parsed.Options[a] = "";
        } else if (a == "--port" || a == "--address" || a == "--table" || a == "--flow") {
            if (i + 1 >= args.size()) {
                err << "dilutra-cli mfc: " << a << " needs a value\n";
                return std::nullopt;
            }
            (a == "--port" ? parsed.Port : parsed.Options[a]) = args[++i];
        } else if (a.starts_with("-") || !parsed.Action.empty()) {
            err << "dilutra-cli mfc: unexpected argument '" << a << "'\n";
            return std::nullopt;
        } else {
            parsed.Action = a;
        }
    }
    if (parsed.Port.empty() || parsed.Action.empty()) {
        err << "dilutra-cli mfc: needs --port P and an action (identify, gas-table, setpoint, totalizers)\n";
        return std::nullopt;
    }
    return parsed;
}

// Whole number in [low, high], all of the text.
std::optional<long> ParseWhole(const std::string& text, long low, long high)
{
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(const std::string& text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// Checks that exactly the named options are present, all of them.
bool Takes(const MfcArguments& a, std::initializer_list<const char*> required,
           std::initializer_list<const char*> optional, std::ostream& err)
{
    std::size_t known = 0;
    for (const char* name : required) {
        if (!a.Options.count(name)) {
            err << "dilutra-cli mfc " << a.Action << ": needs " << name << '\n';
            return false;
        }
        ++known;
    }
    for (const char* name : optional)
        known += a.Options.count(name);
    if (known != a.Options.size()) {
        err << "dilutra-cli mfc " << a.Action << ": unexpected option\n";
        return false;
    }
    return true;
}

std::optional<std::uint32_t> Address(const MfcArguments& a, std::ostream& err)
{
    const auto address = ParseWhole(a.Options.at("--address"), 1, 2);
    if (!address)
        err << "dilutra-cli mfc: --address must be 1 or 2\n";
    return address ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*address)) : std::nullopt;
}

int Failed(std::ostream& err, const std::string& what, const std::string& status)
{
    err << what << ": " << status << '\n';
    return TransactionFailed;
}

int Identify(const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    const MfcIdentification id = IdentifyMFCs(bus);
    int result = Done;
    for (const auto& [name, r] : {std::pair{"controller 1", &id.Controller1}, std::pair{"controller 2", &id.Controller2}}) {
        if (!r->Status.empty())
            result = Failed(err, name, r->Status);
        else
            out << name << ": " << r->AsString << '\n';
    }
    if (result == Done && !id.Ok) {
        err << MfcsNotIdentified << '\n';
        result = TransactionFailed;
    }
    return result;
}

int GasTable(const MfcArguments& a, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    if (!Takes(a, {"--address", "--table"}, {}, err))
        return BadArguments;
    const auto address = Address(a, err);
    const auto table = ParseWhole(a.Options.at("--table"), 0, 65535);
    if (!address || !table) {
        if (address)
            err << "dilutra-cli mfc: --table must be a whole number from 0 to 65535\n";
        return BadArguments;
    }
    TFlowInfo info;
    double min = 0.0;
    double max = 0.0;
    const std::string status = MinMaxFlow(bus, *address, static_cast<std::uint16_t>(*table), info, min, max);
    if (!status.empty())
        return Failed(err, "gas table", status);
    out << "Name: " << info.Name << '\n'
        << "LongName: " << info.LongName << '\n'
        << "FlowUnit: " << info.FlowUnit << '\n'
        << "Max: " << info.Max << '\n'
        << "Dyn: " << info.Dyn << '\n'
        << "Min: " << info.Min << '\n';
    return Done;
}

int SetPoint(const MfcArguments& a, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    if (!Takes(a, {"--address", "--flow"}, {}, err))
        return BadArguments;
    const auto address = Address(a, err);
    const auto flow = ParseNumber(a.Options.at("--flow"));
    if (!address || !flow) {
        if (address)
            err << "dilutra-cli mfc: --flow must be a number (g/min)\n";
        return BadArguments;
    }
    const TSerialResponse r = SetMFCFlow(bus, *address, *flow);
    if (!r.Status.empty())
        return Failed(err, "setpoint", r.Status);
    out << "setpoint: " << static_cast<float>(*flow) << '\n';
    return Done;
}

int Totalizers(const MfcArguments& a, const MfcBus& bus, std::ostream& out, std::ostream& err)
{
    if (!Takes(a, {}, {"--reset"}, err))
        return BadArguments;
    TTotalizer ta;
    TTotalizer tb;
    const bool reset = a.Options.count("--reset") > 0;
    const std::string status = reset ? ResetRetrieveTotalizers(bus, ta, tb) : ReadTotalizers(bus, ta, tb);
    if (!status.empty())
        return Failed(err, "totalizers", status);
    out << "TotalizerA (g): " << (reset ? ta.StartValue : ta.Value) << '\n'
        << "TotalizerB (g): " << (reset ? tb.StartValue : tb.Value) << '\n';
    return Done;
}

} // namespace

int RunMfc(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out,
           std::ostream& err)
{
    const auto parsed = Parse(args, err);
    if (!parsed)
        return BadArguments;
    const MfcBus bus{lines, clock, parsed->Port};
    out << std::setprecision(7);
    if (parsed->Action == "identify")
        return Takes(*parsed, {}, {}, err) ? Identify(bus, out, err) : BadArguments;
    if (parsed->Action == "gas-table")
        return GasTable(*parsed, bus, out, err);
    if (parsed->Action == "setpoint")
        return SetPoint(*parsed, bus, out, err);
    if (parsed->Action == "totalizers")
        return Totalizers(*parsed, bus, out, err);
    err << "dilutra-cli mfc: unknown action '" << parsed->Action << "'\n";
    return BadArguments;
}

int RunMfcCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    RealClock clock;
    return RunMfc(args, lines, clock, std::cout, std::cerr);
}
