#include "date_time_text.h"

#include "day_count.h"
#include "locale_formats.h"
#include "number_text.h"
#include "time_units.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace {

// The calendar day a day count names and its time of day to the millisecond.
// The whole part names the day in either sign and the fraction counts forward
// from its midnight; a time that rounds up to 24:00 is midnight of the next
// calendar day.
bool SplitIntoDateAndTime(double v, QDate& date, QTime& time)
{
    if (!std::isfinite(v) || std::fabs(v) > 1e8)
        return false;
    const double whole = std::trunc(v);
    long long day = static_cast<long long>(whole);
    long long ms = std::llround(std::fabs(v - whole) * WholeMsPerDay);
    if (ms >= WholeMsPerDay) {
        ms -= WholeMsPerDay;
        day += 1;
    }
    date = QDate(1899, 12, 30).addDays(day);
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

}  // namespace

QString DateTimeText(double v)
{
    QDate date;
    QTime time;
    if (!SplitIntoDateAndTime(v, date, time))
        throw EConvertError("Invalid date-time value");
    const TFormatSettings fs = CurrentFormatSettings();
    const QLocale locale;
    QString text = locale.toString(date, fs.ShortDateFormat);
    if (time.msecsSinceStartOfDay() != 0)
        text += QLatin1Char(' ') + locale.toString(time, fs.LongTimeFormat);
    return text;
}

double DateTimeFromText(const QString& s)
{
    const TFormatSettings fs = CurrentFormatSettings();
    const QLocale locale;
    const QString text = s.trimmed();
    const QString forms[] = {
        fs.ShortDateFormat + QLatin1Char(' ') + fs.LongTimeFormat,
        fs.ShortDateFormat + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat),
    };
    for (const QString& form : forms) {
        const QDateTime at = locale.toDateTime(text, form);
        if (at.isValid())
            return DateTimeToDayCount(at);
    }
    const QDate date = locale.toDate(text, fs.ShortDateFormat);
    if (date.isValid())
        return DateTimeToDayCount(QDateTime(date, QTime(0, 0)));
    throw EConvertError("'" + s.toStdString() + "' is not a valid date and time");
}
