// Modbus replies of any bytes, through the register layer: a read is only
// accepted as a frame of the right address, function, length and CRC that
// ends the bytes received, and nothing outside the reply is ever touched.
#include "clock.h"
#include "modbus_frame.h"
#include "replay_line.h"
#include "voegtlin_port.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto address = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const int kind = in.ConsumeIntegralInRange(0, 3);
    const std::vector<std::uint8_t> reply = in.ConsumeRemainingBytes<std::uint8_t>();

    FakeClock clock;
    RegisteredSerialLines lines;
    ReplayLine::Register(lines, reply);
    TVoegtlinPort port(lines, clock);
    port.UseControllerLine("REPLAY");

    static constexpr std::uint16_t Registers[] = {1, 4, 25, 2};
    TSerialResponse r;
    switch (kind) {
    case 0: r = port.ReadU16(address, 16697); break;
    case 1: r = port.ReadS8(address, 35); break;
    case 2: r = port.ReadS50(address, 24610); break;
    default: r = port.ReadF32(address, 4); break;
    }
    const std::size_t expected = ReadReplyLength(Registers[kind]);
    if (r.Status.empty()) {
        const std::size_t count = std::min<std::size_t>(reply.size(), 256);
        FUZZ_REQUIRE(count >= expected);
        const std::uint8_t* frame = reply.data() + (count - expected);
        FUZZ_REQUIRE(frame[0] == (address & 0xFF) && frame[1] == 3 && frame[2] == expected - 5);
        FUZZ_REQUIRE(CalculateCRC16(65535, frame, static_cast<std::uint32_t>(expected - 2))
                     == (frame[expected - 2] | frame[expected - 1] << 8));
        FUZZ_REQUIRE(r.AsHex.size() == 3 * expected);
        FUZZ_REQUIRE(r.AsString.size() <= 2u * Registers[kind]);
    } else if (kind == 3) {
        FUZZ_REQUIRE(std::isnan(r.AsFloat));
    }

    // The locator alone, for any length asked.
    const auto asked = static_cast<std::size_t>(address % 64);
    const TReplyLocation found
        = LocateReadReply(reply.data(), reply.size(), static_cast<std::uint8_t>(address), asked < 5 ? 5 : asked);
    if (found.Status.empty())
        FUZZ_REQUIRE(found.Offset + (asked < 5 ? 5 : asked) == reply.size());
    return 0;
}
