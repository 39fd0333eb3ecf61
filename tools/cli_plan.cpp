#include "cli_plan.h"

#include "cli_arguments.h"
#include "compounds.h"
#include "plan_report.h"
#include "water_limits.h"

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
    CliCommandLine line("plan", "Plans a mixture as the Operation page does and prints the plan report.");
    AddPlanOptions(line);
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    try {
        if (!line.Positional().empty())
            throw CliError("unexpected argument '" + line.Positional().front() + "'");
        std::vector<std::string> notes;
        const TPlanRequest request = ReadPlanRequest(line, notes);
        for (const std::string& note : notes)
            err << "note: " << note << '\n';
        for (const QString& reportLine : PlanReportLines(CalculatePlan(request)))
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
