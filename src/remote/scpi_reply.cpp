#include "scpi_reply.h"

#include "quoted_text.h"

#include <charconv>
#include <cmath>

std::string ScpiNumber(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return std::string(ScpiNotANumber);
    // Seven significant digits: a ppm to the thousandth, a flow in g/min to
    // the microgram.
    char text[32];
    const double v = *value == 0.0 ? 0.0 : *value;
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 7).ptr;
    return std::string(text, end);
}

std::string ScpiQuoted(std::string_view text)
{
    return DoubleQuoted(text);
}
