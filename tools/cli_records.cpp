#include "cli_records.h"

#include "cli_arguments.h"
#include "compounds.h"
#include "record_store.h"
#include "rig_setup.h"

#include <algorithm>
#include <iostream>
#include <limits>

const char* const RecordsSynopsis
    = "records [--file PATH]                            the lab's records (sources, controllers, bubbler)\n"
      "  records --source GAS [--fraction P] [--uncertainty P] [--lot L] [--expiry DATE]\n"
      "  records --controller SERIAL [--reading-share P] [--full-scale-share P] [--repeatability P]\n"
      "          [--calibrated DATE] [--due DATE]\n"
      "  records --bubbler [--temperature-accuracy C] [--efficiency P] [--efficiency-uncertainty P]\n"
      "  records (--source GAS | --controller SERIAL | --bubbler) --remove";

namespace {

QCommandLineOption Valued(const char* name, const char* description, const char* valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName));
}

const QCommandLineOption File = Valued("file", "The records file (default: the user's, or $DILUTRA_RECORDS).", "PATH");
const QCommandLineOption Source
    = Valued("source", "Set or confirm the source of a gas (O2, 5%H2,95%Ar, Ar, N2).", "GAS");
const QCommandLineOption Fraction
    = Valued("fraction", "Certified fraction of the active component (of the gas itself when pure), in %.", "P");
const QCommandLineOption Uncertainty
    = Valued("uncertainty", "Expanded uncertainty (k = 2) of the fraction, in % (of the whole gas).", "P");
const QCommandLineOption Lot = Valued("lot", "The cylinder's lot.", "L");
const QCommandLineOption Expiry = Valued("expiry", "The certificate's expiry date, year-month-day.", "DATE");
const QCommandLineOption Controller
    = Valued("controller", "Set or confirm the record of the controller with this serial.", "SERIAL");
const QCommandLineOption ReadingShare = Valued("reading-share", "Accuracy (k = 2) as a share of reading, in %.", "P");
const QCommandLineOption FullScaleShare
    = Valued("full-scale-share", "Accuracy (k = 2) as a share of full scale, in %.", "P");
const QCommandLineOption Repeatability
    = Valued("repeatability", "Repeatability (k = 2) as a share of reading, in %.", "P");
const QCommandLineOption Calibrated = Valued("calibrated", "Date of the calibration, year-month-day.", "DATE");
const QCommandLineOption Due = Valued("due", "Date the next calibration is due, year-month-day.", "DATE");
const QCommandLineOption Bubbler(QStringLiteral("bubbler"), QStringLiteral("Set or confirm the bubbler's record."));
const QCommandLineOption TemperatureAccuracy
    = Valued("temperature-accuracy", "Accuracy (k = 2) of the bubbler's temperature, in degrees C.", "C");
const QCommandLineOption Efficiency = Valued("efficiency", "Saturation efficiency of the bubbler, in %.", "P");
const QCommandLineOption EfficiencyUncertainty
    = Valued("efficiency-uncertainty", "Expanded uncertainty (k = 2) of the efficiency, in %.", "P");
const QCommandLineOption Remove(QStringLiteral("remove"),
                                QStringLiteral("Remove the record (its defaults apply again)."));

const NumberRange Percent{0.0, std::numeric_limits<double>::max(), "a number from 0 (%)"};
const NumberRange Degrees{0.0, std::numeric_limits<double>::max(), "a number from 0 (degrees C)"};

// A share given in percent, or `held` when the option is not given.
double Share(const CliCommandLine& line, const QCommandLineOption& option, double held)
{
    return line.Has(option) ? line.Number(option, Percent) / 100 : held;
}

std::string TextOr(const CliCommandLine& line, const QCommandLineOption& option, const std::string& held)
{
    return line.Has(option) ? line.Text(option) : held;
}

std::string KnownGas(const std::string& gas)
{
    const bool known = !gas.empty()
        && std::any_of(Compounds.begin(), Compounds.end(), [&](const TCompound& c) { return c.Name == gas; });
    if (!known)
        throw CliError("unknown gas '" + gas + "' (--source)");
    return gas;
}

// The rig's gases, each listed with its record or its default.
std::vector<std::string> RigGases()
{
    std::vector<std::string> gases(GasListA.begin(), GasListA.end());
    gases.insert(gases.end(), GasListB.begin(), GasListB.end());
    return gases;
}

}  // namespace

int RunRecords(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CliCommandLine line("records",
                        "Lists, sets, confirms or removes the lab's records of its gas sources, flow controllers and "
                        "bubbler, which the plans' uncertainty rests on. Setting a record confirms it. Shares are in "
                        "percent, dates year-month-day.");
    for (const QCommandLineOption* o : {&File, &Source, &Fraction, &Uncertainty, &Lot, &Expiry, &Controller,
                                        &ReadingShare, &FullScaleShare, &Repeatability, &Calibrated, &Due, &Bubbler,
                                        &TemperatureAccuracy, &Efficiency, &EfficiencyUncertainty, &Remove})
        line.Add(*o);
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    try {
        if (!line.Positional().empty())
            throw CliError("unexpected argument '" + line.Positional().front() + "'");
        const int kinds = line.Has(Source) + line.Has(Controller) + line.Has(Bubbler);
        if (kinds > 1)
            throw CliError("give one of --source, --controller and --bubbler at a time");
        const TRecordStore store
            = line.Has(File) ? TRecordStore(QString::fromLocal8Bit(line.Text(File))) : TRecordStore();
        TRecordsLoad load = store.Load();
        for (const std::string& problem : load.Problems)
            err << "note: " << problem << '\n';
        TRecords& records = load.Records;

        std::string done;
        if (kinds == 0) {
            line.OnlyThese({&File}, "a listing");
            for (const std::string& l : RecordLines(records, RigGases()))
                out << l << '\n';
            out.flush();
            return ExitDone;
        }
        if (line.Has(Remove)) {
            line.OnlyThese({&File, &Source, &Controller, &Bubbler, &Remove}, "--remove");
            if (line.Has(Bubbler)) {
                records.Bubbler = TBubblerRecord();
                done = "removed: the bubbler's record";
            } else if (line.Has(Source) ? RemoveSource(records, line.Text(Source))
                                        : RemoveController(records, line.Text(Controller))) {
                done = "removed: "
                    + (line.Has(Source) ? "source " + line.Text(Source) : "controller " + line.Text(Controller));
            } else {
                throw CliError(
                    "no record of "
                    + (line.Has(Source) ? "source " + line.Text(Source) : "controller " + line.Text(Controller))
                    + " to remove");
            }
        } else if (line.Has(Source)) {
            line.OnlyThese({&File, &Source, &Fraction, &Uncertainty, &Lot, &Expiry}, "--source");
            TSourceRecord r = records.Source(KnownGas(line.Text(Source)));
            r.Fraction = Share(line, Fraction, r.Fraction);
            r.FractionUncertainty = Share(line, Uncertainty, r.FractionUncertainty);
            r.Lot = TextOr(line, Lot, r.Lot);
            r.Expiry = TextOr(line, Expiry, r.Expiry);
            r.Confirmed = true;
            PutSource(records, r);
            done = "set: " + RecordLines(TRecords{{r}, {}, {}}, {r.Gas}).front();
        } else if (line.Has(Controller)) {
            line.OnlyThese({&File, &Controller, &ReadingShare, &FullScaleShare, &Repeatability, &Calibrated, &Due},
                           "--controller");
            TControllerRecord r = records.Controller(line.Text(Controller));
            r.ReadingShare = Share(line, ReadingShare, r.ReadingShare);
            r.FullScaleShare = Share(line, FullScaleShare, r.FullScaleShare);
            r.Repeatability = Share(line, Repeatability, r.Repeatability);
            r.Calibrated = TextOr(line, Calibrated, r.Calibrated);
            r.CalibrationDue = TextOr(line, Due, r.CalibrationDue);
            r.Confirmed = true;
            PutController(records, r);
            done = "set: " + RecordLines(TRecords{{}, {r}, {}}, {}).front();
        } else {
            line.OnlyThese({&File, &Bubbler, &TemperatureAccuracy, &Efficiency, &EfficiencyUncertainty}, "--bubbler");
            TBubblerRecord& r = records.Bubbler;
            if (line.Has(TemperatureAccuracy))
                r.TemperatureAccuracyC = line.Number(TemperatureAccuracy, Degrees);
            r.Efficiency = Share(line, Efficiency, r.Efficiency);
            r.EfficiencyUncertainty = Share(line, EfficiencyUncertainty, r.EfficiencyUncertainty);
            r.Confirmed = true;
            done = "set: " + RecordLines(TRecords{{}, {}, r}, {}).back();
        }
        // A record that is not sound is refused before anything is written.
        if (const std::string fault = RecordsFault(records); !fault.empty())
            throw CliError(fault);
        if (const std::string failure = store.Save(records); !failure.empty()) {
            err << "dilutra-cli records: " << failure << '\n';
            return ExitFailed;
        }
        out << done << '\n';
        out.flush();
        return ExitDone;
    } catch (const std::exception& e) {
        return line.Refuse(err, e.what());
    }
}

int RecordsCommand(const std::vector<std::string>& args)
{
    return RunRecords(args, std::cout, std::cerr);
}
