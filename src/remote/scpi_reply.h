#pragma once

#include <optional>
#include <string>
#include <string_view>

// How replies are written: a decimal point in every locale, SCPI's
// not-a-number (9.91E+37) for a value that is not there, strings in double
// quotes with every double quote inside doubled.
std::string ScpiNumber(std::optional<double> value);
std::string ScpiQuoted(std::string_view text);

// The value SCPI replies for a measurement that is not there.
inline constexpr std::string_view ScpiNotANumber = "9.91E+37";
