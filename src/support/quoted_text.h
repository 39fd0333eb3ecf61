#pragma once

#include <string>
#include <string_view>

// `text` between double quotes, each quote in it doubled: how a CSV cell and
// an SCPI string carry a text with quotes, separators or line breaks.
inline std::string DoubleQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}
