#include "locale_formats.h"

#include <QLocale>

namespace {

// Runs of the same pattern letter, with quoted literals kept as they are.
struct Token {
    QString text;
    bool quoted = false;
};

QList<Token> Tokenize(const QString& pattern)
{
    QList<Token> tokens;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end + 1;
            tokens.append({pattern.mid(i, stop - i), true});
            i = stop;
            continue;
        }
        qsizetype j = i + 1;
        if (c.isLetter()) {
            while (j < pattern.size() && pattern.at(j) == c)
                ++j;
        }
        tokens.append({pattern.mid(i, j - i), false});
        i = j;
    }
    return tokens;
}

QString Join(const QList<Token>& tokens)
{
    QString s;
    for (const Token& t : tokens)
        s += t.text;
    return s;
}

// A two-digit year would turn the year 1 into 2001 on the way back.
QString WithFourDigitYear(const QString& pattern)
{
    QList<Token> tokens = Tokenize(pattern);
    for (Token& t : tokens) {
        if (!t.quoted && t.text == QLatin1String("yy"))
            t.text = QStringLiteral("yyyy");
    }
    return Join(tokens);
}

// The zone name is not part of a time of day the operator types.
QString WithoutZone(const QString& pattern)
{
    QList<Token> tokens = Tokenize(pattern);
    QList<Token> kept;
    for (const Token& t : tokens) {
        if (!t.quoted && t.text.startsWith(QLatin1Char('t')))
            continue;
        kept.append(t);
    }
    return Join(kept).trimmed();
}

// The first literal character after the first pattern letter run that
// starts with one of `letters` (or after the first run of any letter when
// `letters` is empty).
QChar SeparatorAfter(const QString& pattern, const QString& letters, QChar fallback)
{
    const QList<Token> tokens = Tokenize(pattern);
    bool seen = false;
    for (const Token& t : tokens) {
        if (t.quoted)
            continue;
        const QChar c = t.text.at(0);
        if (c.isLetter()) {
            if (letters.isEmpty() || letters.contains(c))
                seen = true;
            continue;
        }
        if (seen)
            return c;
    }
    return fallback;
}

}  // namespace

TFormatSettings CurrentFormatSettings()
{
    const QLocale locale;
    TFormatSettings s;
    s.DecimalSeparator = locale.decimalPoint();
    s.TimeSeparator = SeparatorAfter(locale.timeFormat(QLocale::ShortFormat), QStringLiteral("hH"), QLatin1Char(':'));
    s.DateSeparator = SeparatorAfter(locale.dateFormat(QLocale::ShortFormat), QString(), QLatin1Char('/'));
    s.TimeAMString = locale.amText();
    s.TimePMString = locale.pmText();
    s.ShortDateFormat = WithFourDigitYear(locale.dateFormat(QLocale::ShortFormat));
    s.LongTimeFormat = WithoutZone(locale.timeFormat(QLocale::LongFormat));
    return s;
}
