#pragma once

#include <QChar>
#include <QString>

// 1-based position of the last occurrence of `c` in `s`, -1 when absent.
int LastPos(QChar c, const QString& s);

// Whether `c` occurs in `s`.
bool CharIn(QChar c, const QString& s);

// A duration in days as text: the whole days followed by "." when there are
// any, then the rest as a time of day "hh:mm:ss.zzz" with the locale time
// and decimal separators when there is a rest. 1.5 gives 1.12:00:00.000,
// 2 gives "2." and 0 an empty text. A negative duration fails with
// EConvertError("Error no negative Time Span allowed").
QString DoubleToTimeSpanStr(double v);

// A duration typed as [days "."] [[hours:]minutes:]seconds, read from the
// right; a "." before the first time separator always ends the days, so
// "1.5" is one day and five seconds while "0:1.5" is 1.5 seconds. The
// seconds may carry decimals. An empty text is 0. Fails with EConvertError.
double DoubleFomTimeSpanStr(const QString& s);
