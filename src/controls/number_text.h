#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

// A text that does not convert to the value asked for.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The row of "#" a numeric field shows when its value does not fit.
inline const QString Hashes = QString(45, QLatin1Char('#'));

// A signed 32-bit integer: optional leading blanks, an optional sign and
// decimal digits, nothing else; outside the 32-bit range is no integer.
std::optional<int> IntegerFromText(const QString& text);

// Same as IntegerFromText, failing with EConvertError.
int StrToInt(const QString& text);

// A floating-point number as the operator types it: optional blanks around
// an optional sign, digits with the locale decimal separator and an optional
// exponent ("1e3", "2,5E-3" with a comma locale). No grouping, no infinity,
// no not-a-number; a magnitude beyond the 64-bit range is no number.
std::optional<double> FloatFromText(const QString& text);

// Same as FloatFromText, failing with EConvertError.
double StrToFloat(const QString& text);

// A number's general-format text in at most `Digits` characters where that is
// possible: the precision is lowered one digit at a time until the text fits.
// It never goes below two significant digits, so the text can stay longer.
// Digits 0 gives the plain general format with 15 digits.
QString RealToStrDigits(long double r, int Digits);
