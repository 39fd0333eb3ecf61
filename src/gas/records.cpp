#include "records.h"

#include "compounds.h"

#include <QDate>
#include <QString>

#include <cmath>

namespace {

const QDate DayZero(1899, 12, 30);

bool Between(double value, double lowest, double highest)
{
    return std::isfinite(value) && value >= lowest && value <= highest;
}

std::string DateFault(const std::string& what, const std::string& iso)
{
    if (iso.empty() || DayCountOfDate(iso))
        return {};
    return what + " \"" + iso + "\" is not a date (year-month-day, as 2027-03-31)";
}

}  // namespace

std::optional<double> DayCountOfDate(const std::string& iso)
{
    const QDate date = QDate::fromString(QString::fromStdString(iso), Qt::ISODate);
    if (!date.isValid() || iso.size() != 10)
        return std::nullopt;
    return static_cast<double>(DayZero.daysTo(date));
}

TSourceRecord DefaultSource(const std::string& gas)
{
    TSourceRecord r;
    r.Gas = gas;
    const TCompound c = GetCompound(gas);
    if (c.Mixture) {
        // The first component is the active one of the rig's mixtures.
        r.Fraction = c.C1VFraction;
        r.FractionUncertainty = 0.01 * c.C1VFraction;
    } else {
        r.Fraction = 0.99999;
        r.FractionUncertainty = 0.00001;
    }
    return r;
}

TSourceRecord TRecords::Source(const std::string& gas) const
{
    for (const TSourceRecord& s : Sources)
        if (s.Gas == gas)
            return s;
    return DefaultSource(gas);
}

TControllerRecord TRecords::Controller(const std::string& serial) const
{
    for (const TControllerRecord& c : Controllers)
        if (c.Serial == serial)
            return c;
    TControllerRecord r;
    r.Serial = serial;
    return r;
}

std::string SourceRecordFault(const TSourceRecord& r)
{
    if (r.Gas.empty())
        return "a gas source needs its gas";
    if (!Between(r.Fraction, 1e-6, 1.0))
        return "the certified fraction must lie above 0 and at most 100 %";
    if (!Between(r.FractionUncertainty, 0.0, r.Fraction / 2))
        return "the fraction's uncertainty must lie between 0 and half the fraction";
    return DateFault("the expiry date", r.Expiry);
}

std::string ControllerRecordFault(const TControllerRecord& r)
{
    if (r.Serial.empty())
        return "a controller record needs the serial its identification reports";
    if (!Between(r.ReadingShare, 0.0, 0.2))
        return "the accuracy of reading must lie between 0 and 20 %";
    if (!Between(r.FullScaleShare, 0.0, 0.1))
        return "the accuracy of full scale must lie between 0 and 10 %";
    if (!Between(r.Repeatability, 0.0, 0.1))
        return "the repeatability must lie between 0 and 10 % of reading";
    if (std::string f = DateFault("the calibration date", r.Calibrated); !f.empty())
        return f;
    return DateFault("the calibration's due date", r.CalibrationDue);
}

std::string BubblerRecordFault(const TBubblerRecord& r)
{
    if (!Between(r.TemperatureAccuracyC, 0.0, 5.0))
        return "the bubbler temperature's accuracy must lie between 0 and 5 degrees C";
    if (!Between(r.Efficiency, 0.5, 1.05))
        return "the saturation efficiency must lie between 50 and 105 %";
    if (!Between(r.EfficiencyUncertainty, 0.0, 0.5))
        return "the saturation efficiency's uncertainty must lie between 0 and 50 %";
    return {};
}
