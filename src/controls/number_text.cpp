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

} // namespace

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

QString FormatWithPicture(double v, const QString& picture)
{
    if (!std::isfinite(v))
        return GeneralFormat(v, 15, 0);

    const qsizetype point = picture.indexOf(QLatin1Char('.'));
    const QString intPicture = point < 0 ? picture : picture.left(point);
    const QString fracPicture = point < 0 ? QString() : picture.mid(point + 1);
    const int intPlaces = static_cast<int>(intPicture.count(QLatin1Char('0')));
    const int fracPlaces = static_cast<int>(fracPicture.count(QLatin1Char('0')));

    const QString fixed = QString::number(std::fabs(v), 'f', fracPlaces);
    const qsizetype dot = fixed.indexOf(QLatin1Char('.'));
    QString intDigits = dot < 0 ? fixed : fixed.left(dot);
    const QString fracDigits = dot < 0 ? QString() : fixed.mid(dot + 1);
    if (intDigits == QLatin1String("0") && intPlaces == 0)
        intDigits.clear();
    intDigits = intDigits.rightJustified(intPlaces, QLatin1Char('0'));

    // Integer part, filled from the right; surplus digits go in front of the
    // first digit place (or in front of the separator when there is none).
    QString intText;
    qsizetype next = intDigits.size();
    qsizetype firstPlace = -1;
    for (qsizetype i = intPicture.size() - 1; i >= 0; --i) {
        if (intPicture.at(i) == QLatin1Char('0')) {
            intText.prepend(intDigits.at(--next));
            firstPlace = i;
        } else {
            intText.prepend(intPicture.at(i));
        }
    }
    const QString surplus = intDigits.left(next);
    if (firstPlace < 0)
        intText += surplus;
    else
        intText.insert(firstPlace, surplus);

    QString fracText;
    qsizetype taken = 0;
    for (const QChar c : fracPicture)
        fracText += c == QLatin1Char('0') ? fracDigits.at(taken++) : c;

    QString text = intText;
    if (fracPlaces > 0)
        text += QLocale().decimalPoint() + fracText;
    else
        text += fracText;

    const QString allDigits = intDigits + fracDigits;
    const bool anyDigit = std::any_of(allDigits.begin(), allDigits.end(),
                                      [](QChar c) { return c > QLatin1Char('0') && c <= QLatin1Char('9'); });
    if (v < 0 && anyDigit)
        text.prepend(QLatin1Char('-'));
    return text;
}
