#include "general_format.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Decimal digits of |v| and its exponent e, with |v| = 0.d1d2... x 10^e,
// rounded half away from zero to `precision` significant digits, trailing
// zeros removed. An empty digit string means zero.
struct Decimal {
    QString digits;
    int exponent = 0;
};

Decimal SignificantDigits(long double magnitude, int precision)
{
    Decimal d;
    if (magnitude == 0)
        return d;

    // Forty significant digits are far more than a long double carries, so
    // the digit after the last kept one decides the rounding without the
    // printing itself having rounded across a tie.
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.39Le", magnitude);
    QString all;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            all += QLatin1Char(*p);
    }
    const int printedExponent = *p == 'e' ? std::atoi(p + 1) : 0;
    d.exponent = printedExponent + 1;

    QString kept = all.left(precision);
    if (all.size() > precision && all.at(precision) >= QLatin1Char('5')) {
        int i = kept.size() - 1;
        while (i >= 0 && kept.at(i) == QLatin1Char('9')) {
            kept[i] = QLatin1Char('0');
            --i;
        }
        if (i >= 0) {
            kept[i] = QChar(kept.at(i).unicode() + 1);
        } else {
            kept.prepend(QLatin1Char('1'));
            kept.chop(1);
            ++d.exponent;
        }
    }
    while (!kept.isEmpty() && kept.back() == QLatin1Char('0'))
        kept.chop(1);
    d.digits = kept;
    return d;
}

}  // namespace

QString GeneralFormat(long double v, int precision, int expDigits)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const int p = std::clamp(precision, 2, 18);
    const int minExpDigits = (expDigits < 0 || expDigits > 4) ? 0 : expDigits;
    const QString separator = QLocale().decimalPoint();

    const Decimal d = SignificantDigits(std::fabs(v), p);
    if (d.digits.isEmpty())
        return QStringLiteral("0");

    QString text;
    if (v < 0)
        text += QLatin1Char('-');

    const int e = d.exponent;
    if (e > p || e < -3) {
        text += d.digits.at(0);
        if (d.digits.size() > 1)
            text += separator + d.digits.mid(1);
        text += QLatin1Char('E');
        const int shown = e - 1;
        if (shown < 0)
            text += QLatin1Char('-');
        text += QString::number(std::abs(shown)).rightJustified(minExpDigits, QLatin1Char('0'));
    } else if (e <= 0) {
        text += QLatin1Char('0') + separator + QString(-e, QLatin1Char('0')) + d.digits;
    } else {
        text += d.digits.left(e).leftJustified(e, QLatin1Char('0'));
        if (d.digits.size() > e)
            text += separator + d.digits.mid(e);
    }
    return text;
}
