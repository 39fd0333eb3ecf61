#include "bubbler_model.h"
#include "hex_bytes.h"
#include "rtu_frames.h"
#include "simulated_rig.h"

#include "clock.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

constexpr double T0 = 46365.5;

void Send(DeviceModel& device, std::vector<std::uint8_t> bytes, double at)
{
    device.receive(bytes, at);
}

}  // namespace

TEST(Bubbler, GasBThroughItLeavesSaturatedAtTheBubblersTemperature)
{
    // Controller 2 runs nitrogen at 2 g/min; the valves are set at minute 1
    // and gas B goes their way until minute 11.
    EXPECT_NEAR(SaturationPressureAtm(25.0), 3.1699 / 101.325, 2e-6);
    struct Case {
        const char* valves;  // V1 ... V6
        double efficiency;
        bool bubbles;
    };
    const Case cases[] = {
        {"110010", 1.0, true},  {"110001", 0.8, true},
        {"000110", 1.0, false}, {"110110", 1.0, false},  // the dry cross-connection open too: gas B takes it
        {"111000", 1.0, false},                          // the bypass open too
        {"100010", 1.0, false},                          // no way out of the bubbler
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.valves);
        FakeClock clock;
        SimulatedRig rig(clock);
        rig.mfc.Response.ReadingError = 0.0;
        rig.relay.BubblerTemperatureC = 25.0;
        rig.bubbler.SaturationEfficiency = c.efficiency;
        std::vector<std::uint8_t> table = Hex("02 06 41 39 00 03");
        AppendRtuCrc(table);
        Send(rig.mfc, table, T0);
        std::vector<std::uint8_t> setPoint = Hex("02 10 00 06 00 02 04");
        for (int shift = 24; shift >= 0; shift -= 8)
            setPoint.push_back(static_cast<std::uint8_t>(std::bit_cast<std::uint32_t>(2.0f) >> shift));
        AppendRtuCrc(setPoint);
        Send(rig.mfc, setPoint, T0);

        std::uint8_t pattern = 0;
        for (int v = 0; v < 6; ++v)
            pattern |= static_cast<std::uint8_t>((c.valves[v] - '0') << v);
        Send(rig.relay, {254, 40, pattern}, T0 + 1 / MinutesPerDay);
        Send(rig.relay, {254, 40, 0}, T0 + 11 / MinutesPerDay);
        const BubblerModel& b = rig.bubblerAt(T0 + 20 / MinutesPerDay);

        const double p = SaturationPressureAtm(25.0);
        const double grams = c.bubbles ? 20.0 : 0.0;
        EXPECT_NEAR(b.GasGrams(), grams, 1e-6);
        EXPECT_NEAR(b.WaterMoles(), grams / 28.013 * p / (1 - p) * c.efficiency, 1e-9);
    }
}
