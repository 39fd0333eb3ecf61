#include "record_store.h"

#include "compounds.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

namespace {

const char* const Sources = "sources";
const char* const Controllers = "controllers";
const char* const Bubbler = "bubbler";

QString Key(const char* key)
{
    return QString::fromLatin1(key);
}

std::string StatusText(QSettings::Status status)
{
    switch (status) {
    case QSettings::AccessError: return "it cannot be read or written (access refused)";
    case QSettings::FormatError: return "it is not a settings file (its format is broken)";
    case QSettings::NoError: break;
    }
    return {};
}

// Reads the file at `path` as it is now with `read`; why it cannot be read
// ("" when it can, or is not there, and `read` is not called then). Qt keeps
// one parsed copy of each settings file in a process and tells that a file
// is broken only the first time it reads it, so a fresh copy of the file is
// read every time.
std::string ReadSettings(const QString& path, const std::function<void(QSettings&)>& read)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return "it is not a file";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString().toStdString();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString().toStdString();
    const QTemporaryDir folder;
    QFile copy(folder.filePath(QStringLiteral("records.ini")));
    if (!folder.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.flush())
        return "no temporary copy of it can be made to read";
    copy.close();
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    settings.allKeys();  // every section parsed, so that a broken one is told
    if (std::string why = StatusText(settings.status()); !why.empty())
        return why;
    read(settings);
    return {};
}

bool KnownGas(const std::string& gas)
{
    return !gas.empty()
        && std::any_of(Compounds.begin(), Compounds.end(), [&](const TCompound& c) { return c.Name == gas; });
}

// Reads one record's fields from the settings' current group; the first
// field that is missing or is no number becomes the reason it is left out.
class TFieldReader {
public:
    explicit TFieldReader(const QSettings& settings)
        : Settings_(settings)
    {
    }

    std::string Text(const char* key) const
    {
        const QVariant value = Settings_.value(Key(key));
        // An unquoted text with commas ("5%H2,95%Ar" typed by hand) reads
        // as a list of its parts.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(',')).toStdString();
        return value.toString().toStdString();
    }

    double Number(const char* key)
    {
        const QString text = Settings_.value(Key(key)).toString().trimmed();
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok && std::isfinite(value))
            return value;
        if (Fault.empty())
            Fault = text.isEmpty() ? std::string(key) + " is missing"
                                   : std::string(key) + " \"" + text.toStdString() + "\" is not a number";
        return std::numeric_limits<double>::quiet_NaN();
    }

    bool Flag(const char* key) const { return Settings_.value(Key(key), false).toBool(); }

    std::string Fault;

private:
    const QSettings& Settings_;
};

TSourceRecord ReadSource(const QSettings& settings, std::string& fault)
{
    TFieldReader read(settings);
    TSourceRecord r;
    r.Gas = read.Text("gas");
    r.Fraction = read.Number("fraction");
    r.FractionUncertainty = read.Number("uncertainty");
    r.Lot = read.Text("lot");
    r.Expiry = read.Text("expiry");
    r.Confirmed = read.Flag("confirmed");
    fault = !read.Fault.empty() ? read.Fault
        : KnownGas(r.Gas)       ? SourceRecordFault(r)
                                : "the gas \"" + r.Gas + "\" is not in the compound table";
    return r;
}

TControllerRecord ReadController(const QSettings& settings, std::string& fault)
{
    TFieldReader read(settings);
    TControllerRecord r;
    r.Serial = read.Text("serial");
    r.ReadingShare = read.Number("reading_share");
    r.FullScaleShare = read.Number("full_scale_share");
    r.Repeatability = read.Number("repeatability");
    r.Calibrated = read.Text("calibrated");
    r.CalibrationDue = read.Text("calibration_due");
    r.Confirmed = read.Flag("confirmed");
    fault = read.Fault.empty() ? ControllerRecordFault(r) : read.Fault;
    return r;
}

TBubblerRecord ReadBubbler(const QSettings& settings, std::string& fault)
{
    TFieldReader read(settings);
    TBubblerRecord r;
    r.TemperatureAccuracyC = read.Number("temperature_accuracy_c");
    r.Efficiency = read.Number("efficiency");
    r.EfficiencyUncertainty = read.Number("efficiency_uncertainty");
    r.Confirmed = read.Flag("confirmed");
    fault = read.Fault.empty() ? BubblerRecordFault(r) : read.Fault;
    return r;
}

// A number as the file keeps it: the shortest text that reads back to it.
QString Stored(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

void Write(QSettings& s, const TRecords& records)
{
    s.clear();
    s.beginWriteArray(Key(Sources), static_cast<int>(records.Sources.size()));
    for (std::size_t i = 0; i < records.Sources.size(); ++i) {
        const TSourceRecord& r = records.Sources[i];
        s.setArrayIndex(static_cast<int>(i));
        s.setValue(Key("gas"), Text(r.Gas));
        s.setValue(Key("fraction"), Stored(r.Fraction));
        s.setValue(Key("uncertainty"), Stored(r.FractionUncertainty));
        s.setValue(Key("lot"), Text(r.Lot));
        s.setValue(Key("expiry"), Text(r.Expiry));
        s.setValue(Key("confirmed"), r.Confirmed);
    }
    s.endArray();
    s.beginWriteArray(Key(Controllers), static_cast<int>(records.Controllers.size()));
    for (std::size_t i = 0; i < records.Controllers.size(); ++i) {
        const TControllerRecord& r = records.Controllers[i];
        s.setArrayIndex(static_cast<int>(i));
        s.setValue(Key("serial"), Text(r.Serial));
        s.setValue(Key("reading_share"), Stored(r.ReadingShare));
        s.setValue(Key("full_scale_share"), Stored(r.FullScaleShare));
        s.setValue(Key("repeatability"), Stored(r.Repeatability));
        s.setValue(Key("calibrated"), Text(r.Calibrated));
        s.setValue(Key("calibration_due"), Text(r.CalibrationDue));
        s.setValue(Key("confirmed"), r.Confirmed);
    }
    s.endArray();
    s.beginGroup(Key(Bubbler));
    s.setValue(Key("temperature_accuracy_c"), Stored(records.Bubbler.TemperatureAccuracyC));
    s.setValue(Key("efficiency"), Stored(records.Bubbler.Efficiency));
    s.setValue(Key("efficiency_uncertainty"), Stored(records.Bubbler.EfficiencyUncertainty));
    s.setValue(Key("confirmed"), records.Bubbler.Confirmed);
    s.endGroup();
}

std::string Mark(bool held, bool confirmed)
{
    return !held ? "default" : confirmed ? "confirmed" : "not confirmed";
}

std::string Dated(const std::string& what, const std::string& date)
{
    return date.empty() ? std::string() : ", " + what + " " + date;
}

std::string SourceLine(const TSourceRecord& r, bool held)
{
    return "source " + r.Gas + ": " + PercentText(r.Fraction) + " % +- " + PercentText(r.FractionUncertainty)
        + " % (k = 2)" + (r.Lot.empty() ? std::string() : ", lot " + r.Lot) + Dated("expires", r.Expiry) + "; "
        + Mark(held, r.Confirmed);
}

std::string ControllerLine(const TControllerRecord& r, bool held)
{
    return "controller " + r.Serial + ": " + PercentText(r.ReadingShare) + " % of reading + "
        + PercentText(r.FullScaleShare) + " % of full scale, repeatability " + PercentText(r.Repeatability) + " %"
        + Dated("calibrated", r.Calibrated) + Dated("due", r.CalibrationDue) + "; " + Mark(held, r.Confirmed);
}

bool Holds(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Every sound record of the settings into `load`, each one left out with
// its reason.
void ReadRecords(QSettings& r, TRecordsLoad& load)
{
    auto leftOut = [&](const std::string& what, const std::string& why) {
        load.Problems.push_back(what + " is left out: " + why);
    };
    const int sources = r.beginReadArray(Key(Sources));
    for (int i = 0; i < sources; ++i) {
        r.setArrayIndex(i);
        std::string fault;
        const TSourceRecord source = ReadSource(r, fault);
        const std::string what = "source " + std::to_string(i + 1) + " (" + source.Gas + ")";
        const bool twice = std::any_of(load.Records.Sources.begin(), load.Records.Sources.end(),
                                       [&](const TSourceRecord& held) { return held.Gas == source.Gas; });
        if (fault.empty() && twice)
            fault = "the gas has a record already";
        if (fault.empty())
            load.Records.Sources.push_back(source);
        else
            leftOut(what, fault);
    }
    r.endArray();
    const int controllers = r.beginReadArray(Key(Controllers));
    for (int i = 0; i < controllers; ++i) {
        r.setArrayIndex(i);
        std::string fault;
        const TControllerRecord controller = ReadController(r, fault);
        const std::string what = "controller " + std::to_string(i + 1) + " (" + controller.Serial + ")";
        const bool twice = std::any_of(load.Records.Controllers.begin(), load.Records.Controllers.end(),
                                       [&](const TControllerRecord& c) { return c.Serial == controller.Serial; });
        if (fault.empty() && twice)
            fault = "the serial has a record already";
        if (fault.empty())
            load.Records.Controllers.push_back(controller);
        else
            leftOut(what, fault);
    }
    r.endArray();
    if (r.childGroups().contains(Key(Bubbler))) {
        r.beginGroup(Key(Bubbler));
        std::string fault;
        const TBubblerRecord bubbler = ReadBubbler(r, fault);
        if (fault.empty())
            load.Records.Bubbler = bubbler;
        else
            leftOut("the bubbler's record", fault);
        r.endGroup();
    }
}

}  // namespace

TRecordStore::TRecordStore()
    : Path_(DefaultPath())
{
}

TRecordStore::TRecordStore(QString path)
    : Path_(std::move(path))
{
}

QString TRecordStore::DefaultPath()
{
    const QString chosen = qEnvironmentVariable("DILUTRA_RECORDS");
    if (!chosen.isEmpty())
        return chosen;
    // Beside the program's other files in the user's configuration folder:
    // ~/.config/Dilutra/records.ini, %APPDATA%\Dilutra\records.ini.
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Dilutra"), QStringLiteral("records"))
        .fileName();
}

TRecordsLoad TRecordStore::Load() const
{
    TRecordsLoad load;
    const std::string why = ReadSettings(Path_, [&](QSettings& r) { ReadRecords(r, load); });
    if (!why.empty()) {
        load = TRecordsLoad();
        load.Problems.push_back("the records file " + Path_.toStdString() + " cannot be read: " + why
                                + "; the defaults are used");
    }
    return load;
}

std::string TRecordStore::Save(const TRecords& records) const
{
    if (std::string fault = RecordsFault(records); !fault.empty())
        return fault;
    const std::string file = "the records file " + Path_.toStdString();
    // A file that cannot be read is kept aside rather than written over: it
    // may hold records someone can still mend.
    if (const std::string why = ReadSettings(Path_, [](QSettings&) {}); !why.empty()) {
        if (!QFileInfo(Path_).isFile())
            return file + " cannot be written: " + why;
        const QString aside = Path_ + QStringLiteral(".unreadable");
        QFile::remove(aside);
        if (!QFile::rename(Path_, aside))
            return file + " cannot be read and cannot be moved aside to " + aside.toStdString();
    }
    QSettings s(Path_, QSettings::IniFormat);
    Write(s, records);
    // Qt writes a new file beside the old one and renames it over it, so a
    // failure leaves the old file whole.
    s.sync();
    if (const std::string why = StatusText(s.status()); !why.empty())
        return file + " cannot be written: " + why;
    return {};
}

std::string RecordsFault(const TRecords& records)
{
    for (std::size_t i = 0; i < records.Sources.size(); ++i) {
        const TSourceRecord& r = records.Sources[i];
        const std::string what = "the source of " + (r.Gas.empty() ? std::string("no gas") : r.Gas) + ": ";
        if (!r.Gas.empty() && !KnownGas(r.Gas))
            return what + "the gas is not in the compound table";
        if (std::string fault = SourceRecordFault(r); !fault.empty())
            return what + fault;
        for (std::size_t j = 0; j < i; ++j)
            if (records.Sources[j].Gas == r.Gas)
                return what + "the gas has a record already";
    }
    for (std::size_t i = 0; i < records.Controllers.size(); ++i) {
        const TControllerRecord& r = records.Controllers[i];
        const std::string what = "the controller " + r.Serial + ": ";
        if (std::string fault = ControllerRecordFault(r); !fault.empty())
            return what + fault;
        for (std::size_t j = 0; j < i; ++j)
            if (records.Controllers[j].Serial == r.Serial)
                return what + "the serial has a record already";
    }
    if (std::string fault = BubblerRecordFault(records.Bubbler); !fault.empty())
        return "the bubbler: " + fault;
    return {};
}

void PutSource(TRecords& records, const TSourceRecord& source)
{
    for (TSourceRecord& held : records.Sources)
        if (held.Gas == source.Gas) {
            held = source;
            return;
        }
    records.Sources.push_back(source);
}

void PutController(TRecords& records, const TControllerRecord& controller)
{
    for (TControllerRecord& held : records.Controllers)
        if (held.Serial == controller.Serial) {
            held = controller;
            return;
        }
    records.Controllers.push_back(controller);
}

bool RemoveSource(TRecords& records, const std::string& gas)
{
    return std::erase_if(records.Sources, [&](const TSourceRecord& r) { return r.Gas == gas; }) > 0;
}

bool RemoveController(TRecords& records, const std::string& serial)
{
    return std::erase_if(records.Controllers, [&](const TControllerRecord& r) { return r.Serial == serial; }) > 0;
}

std::string PercentText(double share)
{
    // Seven digits: a mixture's nominal fraction comes from the compound
    // table's single precision (5 %, not 5.000000075 %).
    return QString::number(share * 100, 'g', 7).toStdString();
}

std::vector<std::string> RecordLines(const TRecords& records, const std::vector<std::string>& gases,
                                     const std::vector<std::string>& serials)
{
    std::vector<std::string> lines;
    auto heldSource = [&](const std::string& gas) {
        return std::any_of(records.Sources.begin(), records.Sources.end(),
                           [&](const TSourceRecord& r) { return r.Gas == gas; });
    };
    for (const std::string& gas : gases)
        lines.push_back(SourceLine(records.Source(gas), heldSource(gas)));
    for (const TSourceRecord& r : records.Sources)
        if (!Holds(gases, r.Gas))
            lines.push_back(SourceLine(r, true));
    auto heldController = [&](const std::string& serial) {
        return std::any_of(records.Controllers.begin(), records.Controllers.end(),
                           [&](const TControllerRecord& r) { return r.Serial == serial; });
    };
    for (const std::string& serial : serials)
        if (!serial.empty())
            lines.push_back(ControllerLine(records.Controller(serial), heldController(serial)));
    for (const TControllerRecord& r : records.Controllers)
        if (!Holds(serials, r.Serial))
            lines.push_back(ControllerLine(r, true));
    const TBubblerRecord& b = records.Bubbler;
    const TBubblerRecord defaults;
    const bool held = b.Confirmed || b.TemperatureAccuracyC != defaults.TemperatureAccuracyC
        || b.Efficiency != defaults.Efficiency || b.EfficiencyUncertainty != defaults.EfficiencyUncertainty;
    lines.push_back("bubbler: temperature +- " + QString::number(b.TemperatureAccuracyC, 'g', 7).toStdString()
                    + " C, saturation " + PercentText(b.Efficiency) + " % +- " + PercentText(b.EfficiencyUncertainty)
                    + " % (k = 2); " + Mark(held, b.Confirmed));
    return lines;
}
