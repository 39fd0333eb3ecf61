#include "cli_plan.h"

#include "compounds.h"
#include "plan_report.h"
#include "planner.h"
#include "water_limits.h"

#include <QLocale>
#include <QStringEncoder>

#include <cmath>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

const char* const PlanSynopsis =
    "plan --gas-a NAME --gas-b NAME --ppm-a N [--ppm-h2o N] --max-a G --dyn-a N --max-b G --dyn-b N "
    "[--unit-a TEXT] [--unit-b TEXT] [--ph2o ATM | --bubbler-temp C]";

namespace {

// A complaint about the command line, shown as one line.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const char* const Known[] = {"--gas-a", "--gas-b", "--ppm-a", "--ppm-h2o", "--max-a", "--dyn-a", "--max-b",
                             "--dyn-b", "--unit-a", "--unit-b", "--ph2o", "--bubbler-temp"};

class Options {
public:
    explicit Options(const std::vector<std::string>& args)
    {
        for (std::size_t i = 0; i < args.size(); ++i) {
            std::string name = args[i];
            std::optional<std::string> value;
            if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            }
            bool known = false;
            for (const char* k : Known)
                known = known || name == k;
            if (!known)
                throw BadInput("unknown option '" + name + "'");
            if (!value) {
                if (i + 1 >= args.size())
                    throw BadInput("option " + name + " needs a value");
                value = args[++i];
            }
            if (!values_.emplace(name, *value).second)
                throw BadInput("option " + name + " is given twice");
        }
    }

    bool Has(const std::string& name) const { return values_.count(name) != 0; }

    const std::string& Text(const std::string& name) const
    {
        const auto found = values_.find(name);
        if (found == values_.end())
            throw BadInput("missing option " + name);
        return found->second;
    }

    std::string TextOr(const std::string& name, const std::string& fallback) const
    {
        return Has(name) ? Text(name) : fallback;
    }

    long long Whole(const std::string& name, long long low, long long high) const
    {
        bool ok = false;
        const long long v = Locale().toLongLong(QString::fromLocal8Bit(Text(name)), &ok);
        if (!ok || v < low || v > high)
            throw BadInput(name + " must be a whole number from " + std::to_string(low) + " to "
                           + std::to_string(high) + ", not '" + Text(name) + "'");
        return v;
    }

    double Number(const std::string& name) const
    {
        bool ok = false;
        const double v = Locale().toDouble(QString::fromLocal8Bit(Text(name)), &ok);
        if (!ok || !std::isfinite(v))
            throw BadInput(name + " must be a number, not '" + Text(name) + "'");
        return v;
    }

private:
    static QLocale Locale()
    {
        QLocale locale;
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }

    std::map<std::string, std::string> values_;
};

std::string GasName(const Options& o, const std::string& option)
{
    const std::string& name = o.Text(option);
    bool found = false;
    for (const TCompound& c : Compounds)
        found = found || (!name.empty() && c.Name == name);
    if (!found)
        throw BadInput("unknown gas '" + name + "' (" + option + ")");
    return name;
}

TFlowInfo Controller(const Options& o, const std::string& gas, const char* maxOption, const char* dynOption,
                     const char* unitOption)
{
    TFlowInfo fi;
    fi.Name = gas;
    fi.LongName = GetCompound(gas).LongName;
    fi.FlowUnit = o.TextOr(unitOption, "g/min");
    fi.Max = static_cast<float>(o.Number(maxOption));
    if (!(fi.Max > 0.0f) || !std::isfinite(fi.Max))
        throw BadInput(std::string(maxOption) + " must be a flow above 0, not '" + o.Text(maxOption) + "'");
    fi.Dyn = static_cast<std::uint32_t>(o.Whole(dynOption, 1, std::numeric_limits<std::uint32_t>::max()));
    fi.Min = static_cast<float>(static_cast<long double>(fi.Max) / fi.Dyn);
    return fi;
}

void Write(std::ostream& out, const QString& line)
{
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(line);
    out.write(bytes.constData(), bytes.size());
    out << '\n';
}

} // namespace

int RunPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        const Options o(args);
        TPlanRequest request;
        request.GasA = GasName(o, "--gas-a");
        request.GasB = GasName(o, "--gas-b");
        request.a = static_cast<std::int32_t>(o.Whole("--ppm-a", 0, 1000000));
        const auto w = static_cast<std::int32_t>(o.Has("--ppm-h2o") ? o.Whole("--ppm-h2o", 0, 35000) : 0);
        request.FIA = Controller(o, request.GasA, "--max-a", "--dyn-a", "--unit-a");
        request.FIB = Controller(o, request.GasB, "--max-b", "--dyn-b", "--unit-b");

        if (o.Has("--ph2o") && o.Has("--bubbler-temp"))
            throw BadInput("give either --ph2o or --bubbler-temp, not both");
        double p = 0;
        if (o.Has("--ph2o")) {
            p = o.Number("--ph2o");
            if (p < 0)
                throw BadInput("--ph2o must not be negative, not '" + o.Text("--ph2o") + "'");
        } else if (o.Has("--bubbler-temp")) {
            p = GetH2OPressureATM(static_cast<float>(o.Number("--bubbler-temp")));
        } else if (w > 0) {
            throw BadInput("water requested but no vapour pressure: give --ph2o or --bubbler-temp");
        }

        const TWaterLimits limits = ApplyWaterLimits(request.a, w, p);
        for (const QString& message : limits.Messages)
            Write(err, QStringLiteral("note: ") + message);
        request.w = limits.W;
        request.b = limits.B;

        for (const QString& line : PlanReportLines(CalculatePlan(request)))
            Write(out, line);
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "dilutra-cli plan: " << e.what() << '\n';
        return 2;
    }
}

int PlanCommand(const std::vector<std::string>& args)
{
    return RunPlan(args, std::cout, std::cerr);
}
