#include "day_count.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

const QDate DayZero(1899, 12, 30);
constexpr double MaxWholeDays = 1e15;

}  // namespace

double DateTimeToDayCount(const QDateTime& local)
{
    const double days = static_cast<double>(DayZero.daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / static_cast<double>(WholeMsPerDay);
    // Before day 0 the time of day still counts forward from midnight, which
    // in day-count terms means subtracting it from the (negative) whole day.
    return days >= 0 ? days + fraction : days - fraction;
}

DayParts SplitDayCount(double days)
{
    // Far beyond any date the count has no time of day left; the whole days
    // are held where a 64-bit count still takes them.
    const double whole = std::clamp(std::trunc(days), -MaxWholeDays, MaxWholeDays);
    long long wholeDays = static_cast<long long>(whole);
    long long ms = std::fabs(whole) < MaxWholeDays ? std::llround(std::fabs(days - whole) * WholeMsPerDay) : 0;
    if (ms >= WholeMsPerDay) {
        // The time of day rounded up to midnight: that is the next calendar
        // day, whichever side of day 0 the count lies.
        ms -= WholeMsPerDay;
        wholeDays += 1;
    }
    return {wholeDays, static_cast<int>(ms)};
}

QDateTime DayCountToDateTime(double days)
{
    const DayParts parts = SplitDayCount(days);
    return QDateTime(DayZero.addDays(parts.days), QTime::fromMSecsSinceStartOfDay(parts.msOfDay));
}

QString DayCountToIsoText(double days)
{
    // The offset always written out, "+00:00" too, never "Z".
    const QDateTime local = DayCountToDateTime(days);
    const int offsetMinutes = local.offsetFromUtc() / 60;
    const int away = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
        + QStringLiteral("%1%2:%3")
              .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(away / 60, 2, 10, QLatin1Char('0'))
              .arg(away % 60, 2, 10, QLatin1Char('0'));
}
