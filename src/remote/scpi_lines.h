#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A client's byte stream cut into lines: LF ends a line, a CR just before it
// is dropped. A line longer than MaxLine bytes is refused as soon as it has
// grown past that, and everything up to its LF is dropped with it, so a
// client that never sends a line end holds no more than MaxLine bytes.
class TScpiLineBuffer {
public:
    static constexpr std::size_t MaxLine = 4096;

    struct TLine {
        std::string Text;
        bool Overrun = false;  // the line was too long: no text
    };

    // Takes the bytes received and appends the lines they complete, and an
    // overrun for a line that has grown too long, to `lines`.
    void Append(std::string_view bytes, std::vector<TLine>& lines);

private:
    std::string partial_;
    bool dropping_ = false;  // inside a refused line, up to its LF
};
