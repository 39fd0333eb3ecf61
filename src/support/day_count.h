#pragma once
#include "time_units.h"

#include <QDateTime>

// Day counts: days since 1899-12-30 00:00 (day 0), the fraction being the
// time of day. Negative counts lie before day 0; their fraction still counts
// forward from midnight of the day they name (-1.25 is 1899-12-29 06:00).

// One second, in days.

// Local date-time to day count (millisecond resolution).
double DateTimeToDayCount(const QDateTime& local);

// Day count to a local date-time, rounded to the nearest millisecond.
QDateTime DayCountToDateTime(double days);

// A local day count as ISO 8601 with milliseconds and the local offset
// from UTC at that moment: "2026-12-09T10:00:00.000+01:00".
QString DayCountToIsoText(double days);

// Splits a day count into whole days and the milliseconds of its time of day,
// rounded to the nearest millisecond (a rounding up to 86400000 carries into
// the next day). Counts beyond 1e15 days either way (no date at all) give
// 1e15 whole days and no time of day.
struct DayParts {
    long long days;
    int msOfDay;
};
DayParts SplitDayCount(double days);
