#include "time_span_text.h"

#include "locale_formats.h"
#include "number_text.h"
#include "time_units.h"

#include <cmath>

namespace {

QString TwoDigits(long long n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

}  // namespace

int LastPos(QChar c, const QString& s)
{
    const qsizetype i = s.lastIndexOf(c);
    return i < 0 ? -1 : static_cast<int>(i + 1);
}

bool CharIn(QChar c, const QString& s)
{
    return s.contains(c);
}

QString DoubleToTimeSpanStr(double v)
{
    if (std::isnan(v) || std::isinf(v))
        throw EConvertError("Invalid time span");
    if (v < 0)
        throw EConvertError("Error no negative Time Span allowed");

    const TFormatSettings fs = CurrentFormatSettings();
    double days = std::trunc(v);
    const double fraction = v - days;
    // The time of day is shown to the millisecond; a rest that rounds up to
    // a whole day counts as the next day.
    long long ms = std::llround(fraction * WholeMsPerDay);
    if (ms >= WholeMsPerDay) {
        ms -= WholeMsPerDay;
        days += 1;
    }

    QString text;
    if (days > 0)
        text += QString::number(days, 'f', 0) + QLatin1Char('.');
    if (fraction > 0) {
        const long long seconds = ms / 1000;
        text += TwoDigits(seconds / 3600) + fs.TimeSeparator + TwoDigits(seconds / 60 % 60) + fs.TimeSeparator
            + TwoDigits(seconds % 60) + fs.DecimalSeparator
            + QString::number(ms % 1000).rightJustified(3, QLatin1Char('0'));
    }
    return text;
}

double DoubleFomTimeSpanStr(const QString& s)
{
    const QChar ts = CurrentFormatSettings().TimeSeparator;
    int days = 0;
    int hours = 0;
    int minutes = 0;
    double seconds = 0.0;
    QString rest = s;
    if (rest.isEmpty())
        return 0.0;

    const qsizetype dot = rest.indexOf(QLatin1Char('.'));
    const qsizetype firstTs = rest.indexOf(ts);
    if (dot >= 0 && (firstTs < 0 || dot < firstTs)) {
        days = StrToInt(rest.left(dot));
        rest.remove(0, dot + 1);
    }

    // One chunk from the right: the text after the last time separator, or
    // all that is left.
    auto takeChunk = [&rest, ts]() {
        const int last = LastPos(ts, rest);
        QString chunk;
        if (last > 0) {
            chunk = rest.mid(last);
            rest.truncate(last - 1);
        } else {
            chunk = rest;
            rest.clear();
        }
        return chunk;
    };
    if (!rest.isEmpty())
        seconds = StrToFloat(takeChunk());
    if (!rest.isEmpty())
        minutes = StrToInt(takeChunk());
    if (!rest.isEmpty())
        hours = StrToInt(rest);

    return days + hours / HoursPerDay + minutes / MinutesPerDay + seconds / SecondsPerDay;
}
