#pragma once

#include <QString>

// The general number format used for every floating-point text the operator
// sees unless a picture is given: at most `precision` significant digits
// (taken as 2 when smaller, 18 when larger), trailing zeros dropped, fixed
// notation while the decimal exponent allows it and scientific notation
// ("1.5E20", "5E-5") for magnitudes of at least 10^precision or below 0.0001.
// `expDigits` is the least number of exponent digits (above 4 counts as 0).
// The decimal separator is the process locale's. Ties round away from zero.
// Not-a-number and infinities print as "NAN", "INF" and "-INF".
QString GeneralFormat(long double v, int precision, int expDigits);
