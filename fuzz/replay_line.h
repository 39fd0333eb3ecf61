#pragma once

#include "fuzz_require.h"
#include "serial_line.h"
#include "serial_lines.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A line whose far end answers every request with the same bytes, however
// malformed: what a hostile or broken device could send. Registered under
// "REPLAY" in `lines`.
class ReplayLine final : public SerialLine {
public:
    explicit ReplayLine(const std::vector<std::uint8_t>& reply)
        : reply_(reply)
    {
    }
    bool open() override { return true; }
    bool configure(std::int32_t, std::int32_t, std::int32_t) override { return true; }
    void purge() override {}
    bool write(const std::uint8_t*, std::size_t) override { return true; }
    void drain() override {}
    int bytesWaiting() override { return static_cast<int>(reply_.size()); }
    bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes) override
    {
        into.assign(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(std::min(maxBytes, reply_.size())));
        return true;
    }
    void close() override {}

    static void Register(SerialLines& lines, const std::vector<std::uint8_t>& reply)
    {
        lines.registerLine("REPLAY", [&reply] { return std::make_unique<ReplayLine>(reply); });
    }

private:
    const std::vector<std::uint8_t>& reply_;
};
