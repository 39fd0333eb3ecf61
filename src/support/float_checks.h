#pragma once

#include <stdexcept>

// Raised where arithmetic would otherwise carry on silently with an infinity
// or a NaN: a division by zero or an invalid operand.
class FloatingPointError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// n / d, raising FloatingPointError instead of dividing by zero.
inline long double CheckedDivide(long double n, long double d)
{
    if (d == 0.0L)
        throw FloatingPointError(n == 0.0L || n != n ? "Invalid floating point operation"
                                                     : "Floating point division by zero");
    return n / d;
}
