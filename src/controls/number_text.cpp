#include "number_text.h"

#include "general_format.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

}  // namespace

std::optional<int> IntegerFromText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text.at(i)))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!IsAsciiDigit(c))
            return std::nullopt;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > 2147483648LL)
            return std::nullopt;
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

int StrToInt(const QString& text)
{
    const std::optional<int> v = IntegerFromText(text);
    if (!v)
        throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
    return *v;
}

std::optional<double> FloatFromText(const QString& text)
{
    const QString separator = QLocale().decimalPoint();
    const QString s = text.trimmed();
    QString plain;  // the same number with "." as separator, for the C locale
    qsizetype i = 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        plain += s.at(i++);
    int mantissaDigits = 0;
    while (i < s.size() && IsAsciiDigit(s.at(i))) {
        plain += s.at(i++);
        ++mantissaDigits;
    }
    if (!separator.isEmpty() && s.mid(i, separator.size()) == separator) {
        plain += QLatin1Char('.');
        i += separator.size();
        while (i < s.size() && IsAsciiDigit(s.at(i))) {
            plain += s.at(i++);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        plain += QLatin1Char('e');
        ++i;
        if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            plain += s.at(i++);
        int exponentDigits = 0;
        while (i < s.size() && IsAsciiDigit(s.at(i))) {
            plain += s.at(i++);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(plain, &ok);
    if (!std::isfinite(v))
        return std::nullopt;
    if (!ok && v != 0.0)
        return std::nullopt;
    return v;
}

double StrToFloat(const QString& text)
{
    const std::optional<double> v = FloatFromText(text);
    if (!v)
        throw EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
    return *v;
}

QString RealToStrDigits(long double r, int Digits)
{
    if (Digits == 0)
        return GeneralFormat(r, 15, 0);
    QString s = GeneralFormat(r, Digits, Digits);
    int p = Digits;
    while (p > 0 && s.size() > Digits) {
        --p;
        s = GeneralFormat(r, p, 0);
    }
    return s;
}
