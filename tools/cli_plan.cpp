#include "cli_plan.h"

#include "cli_arguments.h"
#include "day_count.h"
#include "compounds.h"
#include "plan_report.h"
#include "record_store.h"
#include "thermistor.h"
#include "uncertainty.h"
#include "water_limits.h"

#include <QDateTime>
#include <QStringEncoder>

#include <iostream>
#include <limits>

namespace {

std::string GasName(const CliCommandLine& line, const QCommandLineOption& option)
{
    const std::string name = line.Text(option);
    for (const TCompound& c : Compounds) {
        if (!name.empty() && c.Name == name)
            return name;
    }
    throw CliError("unknown gas '" + name + "' (" + OptionName(option) + ")");
}

TFlowInfo Controller(const CliCommandLine& line, const std::string& gas, const QCommandLineOption& max,
                     const QCommandLineOption& dyn, const QCommandLineOption& unit)
{
    TFlowInfo fi;
    fi.Name = gas;
    fi.LongName = GetCompound(gas).LongName;
    fi.FlowUnit = line.TextOr(unit, "g/min");
    fi.Max = static_cast<float>(line.Number(max, CliRange::FullScale));
    fi.Dyn = static_cast<std::uint32_t>(line.Whole(dyn, 1, std::numeric_limits<std::uint32_t>::max()));
    fi.Min = static_cast<float>(static_cast<long double>(fi.Max) / fi.Dyn);
    return fi;
}

std::string Encoded(const QString& line)
{
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(line);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

const QCommandLineOption& RecordsFile()
{
    static const QCommandLineOption o(QStringLiteral("records"),
                                      QStringLiteral("The lab's records file the uncertainty rests on (default: the "
                                                     "user's, or $DILUTRA_RECORDS)."),
                                      QStringLiteral("PATH"));
    return o;
}

const QCommandLineOption& Serial(bool gasA)
{
    static const QCommandLineOption a(QStringLiteral("serial-a"),
                                      QStringLiteral("Serial of controller 1 (gas A), for its record."),
                                      QStringLiteral("ID"));
    static const QCommandLineOption b(QStringLiteral("serial-b"),
                                      QStringLiteral("Serial of controller 2 (gas B), for its record."),
                                      QStringLiteral("ID"));
    return gasA ? a : b;
}

// The temperature of saturated water vapour at `atm`: the vapour pressure
// curve turned round by halving, between 0 and 100 degrees C.
double SaturationTemperatureC(double atm)
{
    double lo = 0.0;
    double hi = 100.0;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (GetH2OPressureATM(static_cast<float>(mid)) < atm ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

// The records, the controllers' serials and the bubbler's temperature the
// plan's uncertainty rests on; a records file that cannot be read gives the
// defaults, and its problems are noted.
TUncertaintyInputs UncertaintyInputsOf(const CliCommandLine& line, const TPlanRequest& request,
                                       std::vector<std::string>& notes)
{
    const TRecordStore store
        = line.Has(RecordsFile()) ? TRecordStore(QString::fromStdString(line.Text(RecordsFile()))) : TRecordStore();
    const TRecordsLoad load = store.Load();
    for (const std::string& problem : load.Problems)
        notes.push_back("records: " + problem);
    TUncertaintyInputs in;
    in.SourceA = load.Records.Source(request.GasA);
    in.SourceB = load.Records.Source(request.GasB);
    in.ControllerA = load.Records.Controller(line.TextOr(Serial(true), ""));
    in.ControllerB = load.Records.Controller(line.TextOr(Serial(false), ""));
    in.Bubbler = load.Records.Bubbler;
    if (request.pH2O > 0 && request.pH2O < 1) {
        in.BubblerC = line.Has(CliOption::BubblerTemp()) ? line.Number(CliOption::BubblerTemp(), CliRange::BubblerC)
                                                         : SaturationTemperatureC(request.pH2O);
        in.BubblerStepC = ConverterStepAtC(in.BubblerC);
    }
    return in;
}

}  // namespace

void AddPlanOptions(CliCommandLine& line)
{
    using namespace CliOption;
    for (const QCommandLineOption* o : {&GasA(), &GasB(), &PpmA(), &PpmH2O(), &MaxA(), &DynA(), &MaxB(), &DynB(),
                                        &UnitA(), &UnitB(), &PH2O(), &BubblerTemp()})
        line.Add(*o);
}

TPlanRequest ReadPlanRequest(const CliCommandLine& line, std::vector<std::string>& notes)
{
    using namespace CliOption;
    TPlanRequest request;
    request.GasA = GasName(line, GasA());
    request.GasB = GasName(line, GasB());
    request.a = static_cast<std::int32_t>(line.Whole(PpmA(), 0, CliRange::PpmMax));
    const auto w = static_cast<std::int32_t>(line.Has(PpmH2O()) ? line.Whole(PpmH2O(), 0, CliRange::WaterPpmMax) : 0);
    request.FIA = Controller(line, request.GasA, MaxA(), DynA(), UnitA());
    request.FIB = Controller(line, request.GasB, MaxB(), DynB(), UnitB());

    if (line.Has(PH2O()) && line.Has(BubblerTemp()))
        throw CliError("give either --ph2o or --bubbler-temp, not both");
    double p = 0;
    if (line.Has(PH2O()))
        p = line.Number(PH2O(), CliRange::PressureAtm);
    else if (line.Has(BubblerTemp()))
        p = GetH2OPressureATM(static_cast<float>(line.Number(BubblerTemp(), CliRange::BubblerC)));
    else if (w > 0)
        throw CliError("water requested but no vapour pressure: give --ph2o or --bubbler-temp");

    const TWaterLimits limits = ApplyWaterLimits(request.a, w, p);
    for (const QString& message : limits.Messages)
        notes.push_back(Encoded(message));
    request.w = limits.W;
    request.b = limits.B;
    request.pH2O = p;
    return request;
}

int RunPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CliCommandLine line("plan",
                        "Plans a mixture as the Operation page does and prints the plan report, with what it "
                        "is expected to deliver and how well.");
    AddPlanOptions(line);
    for (const QCommandLineOption* o : {&RecordsFile(), &Serial(true), &Serial(false)})
        line.Add(*o);
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    try {
        if (!line.Positional().empty())
            throw CliError("unexpected argument '" + line.Positional().front() + "'");
        std::vector<std::string> notes;
        const TPlanRequest request = ReadPlanRequest(line, notes);
        const TUncertaintyInputs inputs = UncertaintyInputsOf(line, request, notes);
        for (const std::string& note : notes)
            err << "note: " << note << '\n';
        const TPlanResult plan = CalculatePlan(request);
        QStringList lines = PlanReportLines(plan);
        if (const std::optional<TPlanUncertainty> u = PlanUncertainty(plan, inputs))
            lines << QStringLiteral("    ")
                  << UncertaintyLines(*u, inputs, DateTimeToDayCount(QDateTime::currentDateTime()));
        for (const QString& reportLine : lines)
            out << Encoded(reportLine) << '\n';
        out.flush();
        return ExitDone;
    } catch (const std::exception& e) {
        return line.Refuse(err, e.what());
    }
}

int PlanCommand(const std::vector<std::string>& args)
{
    return RunPlan(args, std::cout, std::cerr);
}
