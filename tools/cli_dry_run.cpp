#include "cli_dry_run.h"

#include "dry_run.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <stdexcept>

const char* const DryRunSynopsis =
    "dry-run --gas-a NAME --gas-b NAME --ppm-a N --ppm-h2o N --minutes M [--bubbler-temp C]\n"
    "          [--max-a G --dyn-a N --max-b G --dyn-b N] [--log FILE]";

namespace {

constexpr int WithinTolerance = 0;
constexpr int OutsideTolerance = 1;
constexpr int BadArguments = 2;

class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const char* const Known[] = {"--gas-a",  "--gas-b", "--ppm-a", "--ppm-h2o", "--minutes", "--bubbler-temp",
                             "--max-a",  "--dyn-a", "--max-b", "--dyn-b",   "--log"};

// The options as given: each once, each with a value.
std::map<std::string, std::string> Values(const std::vector<std::string>& args)
{
    std::map<std::string, std::string> values;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        bool known = false;
        for (const char* k : Known)
            known = known || name == k;
        if (!known)
            throw BadInput("unknown option '" + name + "'");
        if (i + 1 >= args.size())
            throw BadInput("option " + name + " needs a value");
        if (!values.emplace(name, args[++i]).second)
            throw BadInput("option " + name + " is given twice");
    }
    return values;
}

// Numbers in the process locale, as `plan` reads them.
double Number(const std::map<std::string, std::string>& v, const std::string& name, double low, double high)
{
    const auto found = v.find(name);
    if (found == v.end())
        throw BadInput("missing option " + name);
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double x = locale.toDouble(QString::fromLocal8Bit(found->second), &ok);
    if (!ok || !std::isfinite(x) || x < low || x > high)
        throw BadInput(name + " must be a number from " + QString::number(low).toStdString() + " to "
                       + QString::number(high).toStdString() + ", not '" + found->second + "'");
    return x;
}

std::int32_t Whole(const std::map<std::string, std::string>& v, const std::string& name, double low, double high)
{
    const double x = Number(v, name, low, high);
    if (x != std::floor(x))
        throw BadInput(name + " must be a whole number, not '" + v.at(name) + "'");
    return static_cast<std::int32_t>(x);
}

std::optional<TDryRunRange> Range(const std::map<std::string, std::string>& v, const std::string& max,
                                  const std::string& dyn)
{
    if (!v.count(max) && !v.count(dyn))
        return std::nullopt;
    TDryRunRange range;
    range.Max = static_cast<float>(Number(v, max, 0.0, 1.0e6));
    if (!(range.Max > 0.0f))
        throw BadInput(max + " must be a flow above 0");
    range.Dyn = static_cast<std::uint16_t>(Whole(v, dyn, 1, 65535));
    return range;
}

std::string Encoded(const QString& line)
{
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(line);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string Fixed(double x, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, x);
    return text;
}

std::string Percent(double relative)
{
    if (!std::isfinite(relative))
        return "-";
    return (relative >= 0 ? "+" : "") + Fixed(100.0 * relative, 3) + " %";
}

} // namespace

TDryRunCommand ReadDryRunCommand(const std::vector<std::string>& args)
{
    const auto v = Values(args);
    TDryRunCommand c;
    TDryRunOptions& o = c.Options;
    for (const char* gas : {"--gas-a", "--gas-b"}) {
        if (!v.count(gas))
            throw BadInput(std::string("missing option ") + gas);
    }
    o.GasA = v.at("--gas-a");
    o.GasB = v.at("--gas-b");
    if (o.GasA != "O2" && o.GasA != "5%H2,95%Ar")
        throw BadInput("--gas-a must be O2 or 5%H2,95%Ar, not '" + o.GasA + "'");
    if (o.GasB != "Ar" && o.GasB != "N2")
        throw BadInput("--gas-b must be Ar or N2, not '" + o.GasB + "'");
    o.PpmA = Whole(v, "--ppm-a", 0, 1000000);
    o.PpmH2O = Whole(v, "--ppm-h2o", 0, 35000);
    o.Minutes = Number(v, "--minutes", 0.0, 10.0 * 24 * 60);
    if (!(o.Minutes > 0.0))
        throw BadInput("--minutes must be above 0");
    if (v.count("--bubbler-temp"))
        o.BubblerTempC = Number(v, "--bubbler-temp", 1.0, 60.0);
    o.RangeA = Range(v, "--max-a", "--dyn-a");
    o.RangeB = Range(v, "--max-b", "--dyn-b");
    if (v.count("--log")) {
        c.LogPath = v.at("--log");
        if (c.LogPath.empty() || QFileInfo::exists(QString::fromLocal8Bit(c.LogPath)))
            throw BadInput("File already exists. Cannot overwrite.");
    }
    return c;
}

int RunDryRun(const TDryRunCommand& command, std::ostream& out, std::ostream& err)
{
    TDryRun run(command.Options);
    const QStringList notes = run.Request(command.Options.PpmA, command.Options.PpmH2O);
    for (const QString& note : notes)
        err << "note: " << Encoded(note) << '\n';
    run.StartDilution();
    run.RunFor(command.Options.Minutes * 60.0);
    const TDryRunResult r = run.Result();

    auto row = [&](const char* label, double requested, double delivered, double error, bool within) {
        char text[160];
        std::snprintf(text, sizeof text, "%-16s: %14.1f %15.1f %11s%s\n", label, requested, delivered,
                      Percent(error).c_str(), within ? "" : "  outside tolerance");
        out << text;
    };
    out << "Method          : " << r.Method << '\n';
    if (!r.Alarm.empty())
        out << "Alarm           : " << r.Alarm << '\n';
    out
        << "Simulated       : " << Fixed(r.Minutes, 1) << " min, bubbler at " << Fixed(command.Options.BubblerTempC, 1)
        << " C, pH2O " << Fixed(run.pH2O(), 6) << " atm\n"
        << "                    requested ppm   delivered ppm       error\n";
    row("Gas A", r.RequestedPpmA, r.DeliveredPpmA, r.ErrorA(), r.AWithinTolerance());
    row("H2O", r.RequestedPpmH2O, r.DeliveredPpmH2O, r.ErrorH2O(), r.H2OWithinTolerance());
    out << "Gas A used (g)  : " << Fixed(r.GramsA, 6) << '\n'
        << "Gas B used (g)  : " << Fixed(r.GramsB, 6) << '\n'
        << "H2O used (g)    : " << Fixed(r.GramsH2O, 6) << '\n'
        << "Within tolerance: " << (r.WithinTolerance() ? "yes" : "no") << '\n';
    out.flush();

    if (!command.LogPath.empty() && !run.SaveLog(QString::fromLocal8Bit(command.LogPath))) {
        err << "dilutra-cli dry-run: the log could not be written to " << command.LogPath << '\n';
        return OutsideTolerance;
    }
    return r.WithinTolerance() ? WithinTolerance : OutsideTolerance;
}

int DryRunCommand(const std::vector<std::string>& args)
{
    TDryRunCommand command;
    try {
        command = ReadDryRunCommand(args);
    } catch (const std::exception& e) {
        std::cerr << "dilutra-cli dry-run: " << e.what() << '\n';
        return BadArguments;
    }
    try {
        return RunDryRun(command, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "dilutra-cli dry-run: " << e.what() << '\n';
        return OutsideTolerance;
    }
}
