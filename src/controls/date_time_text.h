#pragma once

#include <QString>

// The date range a date-time field holds, as day counts: 1 January of the
// year 1, 00:00:00, and 31 December 9999, 23:59:59.
inline constexpr double MinDateTime = -693593.0;
inline constexpr double MaxDateTime = 2958465.99998843;

// A day count as the locale's short date, a blank and the long time; the time
// is left out at exactly midnight. Fails with EConvertError outside the date
// range.
QString DateTimeText(double v);

// A locale date with an optional time (long or short form) as a day count.
// Fails with EConvertError.
double DateTimeFromText(const QString& s);
