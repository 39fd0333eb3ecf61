#pragma once

#include <QLocale>
#include <QString>

#include <string>
#include <string_view>

// A number picture such as "0.000 000" or "0 000 000":
//   '0'  a digit that is always printed,
//   '.'  the decimal separator (the first one; later ones are ignored),
//   any other character is printed literally at its position.
// The value is rounded to the number of '0's after the separator, exact
// halves away from zero. A picture with fewer integer '0's than the value
// has integer digits prints the extra digits before its first '0'. Negative
// values get a leading "-" unless they round to zero; a value that is not a
// number prints "NAN", infinities "INF" and "-INF".
class TNumberPicture {
public:
    explicit TNumberPicture(std::string_view picture);

    // Appends the text of `value` to `out`, with `decimalPoint` (already in
    // the output's encoding) as the separator.
    void AppendTo(std::string& out, double value, std::string_view decimalPoint) const;
    void AppendTo(std::string& out, long double value, std::string_view decimalPoint) const;

    // The text with the locale's decimal separator.
    QString Format(double value, const QLocale& locale = QLocale()) const;
    QString Format(long double value, const QLocale& locale = QLocale()) const;

    int Decimals() const { return decimals_; }

private:
    template <class F> void AppendImpl(std::string& out, F value, std::string_view decimalPoint) const;
    void Lay(std::string& out, bool negative, std::string_view intDigits, std::string_view fracDigits,
             std::string_view decimalPoint) const;

    std::string intPicture_;   // the picture before the separator
    std::string fracPicture_;  // the picture after it
    bool hasPoint_ = false;
    int intZeros_ = 0;
    int decimals_ = 0;
};

// Formats with a picture and the process locale's decimal separator
// (FormatFloat("0.000 000", 1.2345678) is "1.234 568").
QString FormatFloat(const QString& picture, double value);
QString FormatFloat(const QString& picture, long double value);
QString FormatFloat(const QString& picture, float value);
