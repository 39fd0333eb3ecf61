#pragma once

#include <QChar>
#include <QString>

// The process locale's settings that the entry fields type and show numbers,
// dates and times with, read from the default QLocale at each call so that a
// change of the process locale takes effect at once.
struct TFormatSettings {
    QString DecimalSeparator;
    QChar TimeSeparator;
    QChar DateSeparator;
    QString TimeAMString;
    QString TimePMString;
    // QLocale format patterns: the short date with a four-digit year (so that
    // every date of the years 1 to 9999 reads back as the same date) and the
    // long time without the time zone.
    QString ShortDateFormat;
    QString LongTimeFormat;
};

TFormatSettings CurrentFormatSettings();
