#include "cli_dry_run.h"

#include "cli_arguments.h"
#include "dry_run.h"
#include "feasibility_report.h"
#include "pending_file.h"
#include "time_units.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <stdexcept>

const char* const DryRunSynopsis
    = "dry-run --gas-a NAME --gas-b NAME --ppm-a N [--ppm-h2o N] --minutes M [--bubbler-temp C]\n"
      "          [--max-a G --dyn-a N --max-b G --dyn-b N] [--log FILE] [--simulate-fault KIND@S[:ARG]]\n"
      "  dry-run --gas-a NAME --gas-b NAME --program FILE [--bubbler-temp C] [...]";

namespace {

const QCommandLineOption& Minutes()
{
    static const QCommandLineOption o(QStringLiteral("minutes"), QStringLiteral("Simulated minutes of dilution."),
                                      QStringLiteral("M"));
    return o;
}

const QCommandLineOption& Program()
{
    static const QCommandLineOption o(
        QStringLiteral("program"),
        QStringLiteral("Run the steps of a program file (ppm_a;ppm_h2o;minutes;flush_before) instead of one mixture."),
        QStringLiteral("FILE"));
    return o;
}

const QCommandLineOption& Log()
{
    static const QCommandLineOption o(
        QStringLiteral("log"),
        QStringLiteral("Also write the log as the window saves it (a new file; made under a temporary name beside it "
                       "and given its name when the run is over)."),
        QStringLiteral("FILE"));
    return o;
}

const QCommandLineOption& SimulateFault()
{
    static const QCommandLineOption o(
        QStringLiteral("simulate-fault"),
        QStringLiteral("The simulated rig fails S seconds after its setup, as the program's --simulate-fault: one of "
                       "%1. May be given more than once.")
            .arg(QString::fromStdString(RigFaultForms())),
        QStringLiteral("KIND@S[:ARG]"));
    return o;
}

// The longest a run may simulate: beyond it, a mistake rather than a wish.
constexpr double MostSimulatedDays = 365.0;

// The gases the Setup page offers.
std::string Gas(const CliCommandLine& line, const QCommandLineOption& option, const char* first, const char* second)
{
    const std::string name = line.Text(option);
    if (name != first && name != second)
        throw CliError(OptionName(option) + " must be " + first + " or " + second + ", not '" + name + "'");
    return name;
}

std::optional<TDryRunRange> Range(const CliCommandLine& line, const QCommandLineOption& max,
                                  const QCommandLineOption& dyn)
{
    if (!line.Has(max) && !line.Has(dyn))
        return std::nullopt;
    TDryRunRange range;
    range.Max = static_cast<float>(line.Number(max, CliRange::FullScale));
    range.Dyn = static_cast<std::uint16_t>(line.Whole(dyn, 1, 65535));
    return range;
}

void AddDryRunOptions(CliCommandLine& line)
{
    using namespace CliOption;
    for (const QCommandLineOption* o : {&GasA(), &GasB(), &PpmA(), &PpmH2O(), &Minutes(), &Program(), &BubblerTemp(),
                                        &MaxA(), &DynA(), &MaxB(), &DynB(), &Log()})
        line.Add(*o);
    line.AddRepeatable(SimulateFault());
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
    // Appended piece by piece: GCC 12's -O3 misreads the concatenation of a
    // conditional literal as an overlapping copy (-Wrestrict).
    std::string text(relative >= 0 ? "+" : "");
    text += Fixed(100.0 * relative, 3);
    text += " %";
    return text;
}

}  // namespace

TDryRunCommand ReadDryRunCommand(const CliCommandLine& line)
{
    using namespace CliOption;
    if (!line.Positional().empty())
        throw CliError("unexpected argument '" + line.Positional().front() + "'");
    TDryRunCommand c;
    TDryRunOptions& o = c.Options;
    o.GasA = Gas(line, GasA(), "O2", "5%H2,95%Ar");
    o.GasB = Gas(line, GasB(), "Ar", "N2");
    if (line.Has(Program())) {
        if (line.Has(PpmA()) || line.Has(PpmH2O()) || line.Has(Minutes()))
            throw CliError("--program takes the place of --ppm-a, --ppm-h2o and --minutes");
        c.ProgramPath = line.Text(Program());
        try {
            c.Program = LoadFlowProgram(QString::fromLocal8Bit(c.ProgramPath));
        } catch (const TFlowProgramError& e) {
            throw CliError(c.ProgramPath + ": " + e.what());
        }
        double minutes = 0.0;
        for (const TProgramStep& step : c.Program)
            minutes += step.Minutes;
        if (minutes > MostSimulatedDays * MinutesPerDay)
            throw CliError(c.ProgramPath + ": its steps last " + Fixed(minutes / MinutesPerDay, 1)
                           + " days; a run of more than a year is not simulated");
    } else {
        o.PpmA = static_cast<std::int32_t>(line.Whole(PpmA(), 0, CliRange::PpmMax));
        o.PpmH2O = line.Has(PpmH2O()) ? static_cast<std::int32_t>(line.Whole(PpmH2O(), 0, CliRange::WaterPpmMax)) : 0;
        o.Minutes
            = line.Number(Minutes(), NumberRange{0.0, 10.0 * MinutesPerDay, "minutes above 0, up to ten days", true});
    }
    if (line.Has(BubblerTemp()))
        o.BubblerTempC = line.Number(BubblerTemp(), NumberRange{1.0, 60.0, "a temperature from 1 to 60 (degrees C)"});
    o.RangeA = Range(line, MaxA(), DynA());
    o.RangeB = Range(line, MaxB(), DynB());
    if (line.Has(Log())) {
        c.LogPath = line.Text(Log());
        if (c.LogPath.empty() || QFileInfo::exists(QString::fromLocal8Bit(c.LogPath)))
            throw CliError("File already exists. Cannot overwrite.");
    }
    for (const std::string& text : line.Texts(SimulateFault())) {
        const auto fault = ParseScheduledFault(text);
        if (!fault)
            throw CliError("--simulate-fault " + text + ": expected one of " + RigFaultForms());
        o.Faults.push_back(*fault);
    }
    return c;
}

TDryRunCommand ReadDryRunCommand(const std::vector<std::string>& args)
{
    CliCommandLine line("dry-run", "Runs a dilution on the simulated rig, as fast as the processor allows.");
    AddDryRunOptions(line);
    std::ostringstream out, err;
    if (line.Parse(args, out, err))
        throw CliError(err.str().empty() ? out.str() : err.str());
    return ReadDryRunCommand(line);
}

namespace {

int RunProgramDryRun(const TDryRunCommand& command, TDryRun& run, std::ostream& out, std::ostream& err)
{
    const TDryRunProgramResult r = run.RunProgram(command.Program);
    for (std::size_t i = 0; i < r.Steps.size(); ++i) {
        const std::int32_t asked = command.Program[i].PpmH2O, held = r.Steps[i].Step.PpmH2O;
        if (asked != held)
            err << "note: step " << i + 1 << ": water " << asked << " ppm held to " << held << " ppm\n";
    }

    char text[256];
    out << "Program         : " << command.ProgramPath << ", " << r.StepCount << " steps\n";
    if (!r.Alarm.empty())
        out << "Alarm           : " << r.Alarm << '\n';
    if (!r.Stopped.empty())
        out << "Stopped         : " << r.Stopped << '\n';
    out << "Simulated       : " << Fixed(r.Minutes, 1) << " min, bubbler at " << Fixed(command.Options.BubblerTempC, 1)
        << " C, pH2O " << Fixed(run.pH2O(), 6) << " atm\n";
    std::snprintf(text, sizeof text, "%-4s  %-21s %7s %9s %9s %9s %9s %10s %11s %9s  %s\n", "Step", "Method", "Minutes",
                  "A req", "A del", "H2O req", "H2O del", "Gas A (g)", "Gas B (g)", "H2O (g)", "Within");
    out << text;
    for (std::size_t i = 0; i < r.Steps.size(); ++i) {
        const TDryRunStep& s = r.Steps[i];
        const char* within = !s.Completed ? "stopped" : s.Hold.WithinTolerance() ? "yes" : "no";
        std::snprintf(text, sizeof text, "%4zu  %-21s %7.1f %9.1f %9.1f %9.1f %9.1f %10.6f %11.6f %9.6f  %s\n", i + 1,
                      s.Hold.Method.c_str(), s.Hold.Minutes, static_cast<double>(s.Step.PpmA), s.Hold.DeliveredPpmA,
                      static_cast<double>(s.Step.PpmH2O), s.Hold.DeliveredPpmH2O, s.UsedGramsA, s.UsedGramsB,
                      s.UsedGramsH2O, within);
        out << text;
    }
    std::snprintf(text, sizeof text, "%-4s  %-21s %7.1f %9s %9s %9s %9s %10.6f %11.6f %9.6f  %s\n", "All", "",
                  r.Minutes, "", "", "", "", r.GramsA, r.GramsB, r.GramsH2O, r.WithinTolerance() ? "yes" : "no");
    out << text;
    out.flush();
    return r.WithinTolerance() ? ExitDone : ExitFailed;
}

int RunMixtureDryRun(const TDryRunCommand& command, TDryRun& run, std::ostream& out, std::ostream& err)
{
    const QStringList notes = run.Request(command.Options.PpmA, command.Options.PpmH2O);
    for (const QString& note : notes)
        err << "note: " << Encoded(note) << '\n';
    // A plan the controllers cannot deliver is refused before any gas flows.
    const TPlanResult& plan = run.Mixer().LastPlan();
    if (!plan.Feasibility.Deliverable) {
        out << "Method          : " << MixingMethodName(plan.MixingMethod) << '\n'
            << "Deliverable     : no, " << Encoded(UndeliverableReason(plan)) << '\n';
        const TPlanFeasibility& f = plan.Feasibility;
        out << "Gas A possible  : " << Encoded(PossibleRange(f.LowestA, f.HighestA)) << '\n';
        if (f.WaterRangeKnown)
            out << "H2O possible    : " << Encoded(PossibleRange(f.LowestW, f.HighestW)) << '\n';
        out.flush();
        return ExitFailed;
    }
    run.StartDilution();
    run.RunFor(command.Options.Minutes * 60.0);
    const TDryRunResult r = run.Result();

    // Each value with what the plan is expected to deliver and its expanded
    // uncertainty, and whether the delivered value lies within it.
    bool withinUncertainty = true;
    auto row = [&](const char* label, double requested, double delivered, double error, bool within,
                   const std::optional<TDeliveryUncertainty>& expected, std::optional<bool> inside) {
        char text[200];
        std::string expectation = "-";
        if (expected)
            expectation = Encoded(ValueWithUncertainty(expected->ExpectedPpm, expected->ExpandedPpm))
                + (inside && *inside ? "" : " (outside)");
        if (inside && !*inside)
            withinUncertainty = false;
        std::snprintf(text, sizeof text, "%-16s: %14.1f %15.1f %11s   %s%s\n", label, requested, delivered,
                      Percent(error).c_str(), expectation.c_str(), within ? "" : "  outside tolerance");
        out << text;
    };
    out << "Method          : " << r.Method << '\n';
    if (!r.Alarm.empty())
        out << "Alarm           : " << r.Alarm << '\n';
    out << "Simulated       : " << Fixed(r.Minutes, 1) << " min, bubbler at " << Fixed(command.Options.BubblerTempC, 1)
        << " C, pH2O " << Fixed(run.pH2O(), 6) << " atm\n"
        << "                    requested ppm   delivered ppm       error   expected (k = 2)\n";
    row("Gas A", r.RequestedPpmA, r.DeliveredPpmA, r.ErrorA(), r.AWithinTolerance(), r.ExpectedA,
        r.AWithinUncertainty());
    row("H2O", r.RequestedPpmH2O, r.DeliveredPpmH2O, r.ErrorH2O(), r.H2OWithinTolerance(), r.ExpectedH2O,
        r.H2OWithinUncertainty());
    out << "Gas A used (g)  : " << Fixed(r.GramsA, 6) << '\n'
        << "Gas B used (g)  : " << Fixed(r.GramsB, 6) << '\n'
        << "H2O used (g)    : " << Fixed(r.GramsH2O, 6) << '\n'
        << "Within tolerance: " << (r.WithinTolerance() ? "yes" : "no") << '\n'
        << "Within \u00b1 (k = 2): " << (withinUncertainty ? "yes" : "no") << '\n';
    if (r.GarbledReplies > 0)
        out << "Garbled replies : " << r.GarbledReplies << " of " << r.Replies << " from the controllers\n";
    out.flush();
    return r.WithinTolerance() ? ExitDone : ExitFailed;
}

}  // namespace

int RunDryRun(const TDryRunCommand& command, std::ostream& out, std::ostream& err)
{
    // A log that cannot be written is said before the run, not after it.
    TPendingFile log;
    const QString logPath = QString::fromLocal8Bit(command.LogPath);
    if (!command.LogPath.empty() && !log.Begin(logPath)) {
        err << "dilutra-cli dry-run: the log cannot be written to " << command.LogPath << ": " << Encoded(log.Error())
            << '\n';
        return ExitFailed;
    }
    TDryRun run(command.Options);
    const int exit = !command.ProgramPath.empty() ? RunProgramDryRun(command, run, out, err)
                                                  : RunMixtureDryRun(command, run, out, err);
    if (command.LogPath.empty())
        return exit;
    if (!run.WriteLog(log.Device()) || !log.Complete()) {
        const QString why = log.Error().isEmpty() ? log.Device().errorString() : log.Error();
        err << "dilutra-cli dry-run: the log could not be written to " << command.LogPath << ": " << Encoded(why)
            << '\n';
        return ExitFailed;
    }
    return exit;
}

int DryRunCommand(const std::vector<std::string>& args)
{
    CliCommandLine line("dry-run", "Runs a dilution on the simulated rig, as fast as the processor allows.");
    AddDryRunOptions(line);
    if (const auto exit = line.Parse(args, std::cout, std::cerr))
        return *exit;
    TDryRunCommand command;
    try {
        command = ReadDryRunCommand(line);
    } catch (const std::exception& e) {
        return line.Refuse(std::cerr, e.what());
    }
    try {
        return RunDryRun(command, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "dilutra-cli dry-run: " << e.what() << '\n';
        return ExitFailed;
    }
}
