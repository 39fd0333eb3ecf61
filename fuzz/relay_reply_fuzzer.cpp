// Relay-board replies of any bytes, and the thermistor conversion of any
// count or resistance: a verdict or a reading comes only from bytes that
// arrived, and no reading gives a vapour pressure that is not a number.
#include "clock.h"
#include "relay_board.h"
#include "replay_line.h"
#include "thermistor.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const int dac = in.ConsumeIntegral<int>();
    const double ohm = in.ConsumeFloatingPoint<double>();
    const std::vector<std::uint8_t> reply = in.ConsumeRemainingBytes<std::uint8_t>();

    FakeClock clock;
    RegisteredSerialLines lines;
    ReplayLine::Register(lines, reply);
    const RelayBoard board{lines, clock, "REPLAY"};

    const TBoardCheck check = CheckRelayBoard(board);
    FUZZ_REQUIRE(check.Ok == (!reply.empty() && reply[0] == 85));

    const TBubblerReading reading = ReadBubbler(board);
    FUZZ_REQUIRE(!reading.PressureATM || reply.size() >= 2);
    if (reading.PressureATM) {
        FUZZ_REQUIRE(std::isfinite(*reading.PressureATM) && *reading.PressureATM >= 0.0f);
        FUZZ_REQUIRE(reading.Thermistor && reading.Thermistor->Dac == reply[0] * 256 + reply[1]);
    }

    if (const auto t = ThermistorFromDac(dac)) {
        FUZZ_REQUIRE(dac >= 0 && dac < 1024);
        FUZZ_REQUIRE(t->TemperatureC > 0.0 && t->TemperatureC < 100.0);
    }
    (void)ThermistorTemperatureC(ohm);
    return 0;
}
