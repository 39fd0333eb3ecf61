#include "clock.h"
#include "equipment_gateway.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// The gateway on the simulated rig, both ports selected.
struct Gateway {
    FakeClock clock;
    SimulatedRig rig{clock};
    RegisteredSerialLines lines;
    std::string relayPort = SimulatedRig::RelayPortName;
    std::string mfcPort = SimulatedRig::MfcPortName;
    TEquipmentGateway gateway{lines, clock, TEquipmentPorts{[this] { return relayPort; }, [this] { return mfcPort; }}};
    TTotalizer a, b;

    Gateway() { rig.registerOn(lines); }
};

}  // namespace

TEST(EquipmentGateway, CountsEachDevicesRunOfFailuresAndEndsItAtAnAnswer)
{
    struct Case {
        const char* name;
        std::function<void(Gateway&)> breakDevice;
        std::function<void(Gateway&)> command;
        TDevice device;
        bool counted;  // the command fails and counts against the device
    };
    const auto valves = [](Gateway& g) { g.gateway.SetValvePositions(0, 0, 1, 0, 0, 0); };
    const auto totalizers = [](Gateway& g) { g.gateway.ReadTotalizers(g.a, g.b); };
    const auto setPoint2 = [](Gateway& g) { g.gateway.SetMFCFlow(2, 1.0); };
    const Case cases[] = {
        {"silent relay board, valves", [](Gateway& g) { g.rig.relay.Faults.Silent = true; }, valves,
         TDevice::RelayBoard, true},
        {"silent relay board, bubbler", [](Gateway& g) { g.rig.relay.Faults.Silent = true; },
         [](Gateway& g) { g.gateway.ReadBubbler(); }, TDevice::RelayBoard, true},
        {"open thermistor: the board answered", [](Gateway& g) { g.rig.relay.Faults.AnalogueCount = 1023; },
         [](Gateway& g) { g.gateway.ReadBubbler(); }, TDevice::RelayBoard, false},
        {"silent controller 2, totalizers", [](Gateway& g) { g.rig.mfc.faults(2).Silent = true; }, totalizers,
         TDevice::Controller2, true},
        {"bad CRC from controller 1", [](Gateway& g) { g.rig.mfc.faults(1).BadCrc = true; }, totalizers,
         TDevice::Controller1, true},
        {"a set-point write a silent controller does not confirm",
         [](Gateway& g) { g.rig.mfc.faults(2).Silent = true; }, setPoint2, TDevice::Controller2, true},
        {"controller port gone, set-point", [](Gateway& g) { g.mfcPort = "NO-SUCH-PORT"; }, setPoint2,
         TDevice::Controller2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gateway g;
        c.breakDevice(g);
        c.command(g);
        const double first = g.clock.now();
        g.clock.advanceMs(400);
        c.command(g);
        const TDeviceHealth& h = g.gateway.Health(c.device);
        EXPECT_EQ(h.ConsecutiveFailures, c.counted ? 2 : 0);
        if (!c.counted)
            continue;
        EXPECT_LE(h.FailingSince, first) << "the run counts from its first failure";
        EXPECT_FALSE(h.LastFailure.empty());
        for (TDevice other : {TDevice::RelayBoard, TDevice::Controller1, TDevice::Controller2}) {
            if (other != c.device) {
                EXPECT_FALSE(g.gateway.Health(other).Failing()) << DeviceName(other);
            }
        }
    }

    // An answer ends the run: a confirmed write is one.
    Gateway g;
    g.rig.mfc.faults(2).Silent = true;
    g.gateway.ReadTotalizers(g.a, g.b);
    g.rig.mfc.clearFaults();
    g.gateway.SetMFCFlow(2, 1.0);
    EXPECT_FALSE(g.gateway.Health(TDevice::Controller2).Failing());
}

TEST(EquipmentGateway, KeepsTheLastAcceptedValvePattern)
{
    Gateway g;
    std::vector<int> heard;
    g.gateway.OnValvesAccepted = [&](std::uint8_t p) { heard.push_back(p); };
    g.gateway.SetValvePositions(1, 1, 0, 0, 1, 0);
    g.rig.relay.Faults.Silent = true;
    g.gateway.SetValvePositions(0, 0, 1, 0, 0, 0);
    EXPECT_EQ(g.gateway.AcceptedValves(), std::optional<std::uint8_t>(19));
    EXPECT_EQ(heard, std::vector<int>{19});
}

TEST(EquipmentGateway, MeasuresFlowFromTheReadingsAndReadsQuietControllersAsSignOfLife)
{
    Gateway g;
    g.gateway.ResetRetrieveTotalizers(g.a, g.b);
    g.gateway.SetMFCFlow(2, 3.0);
    EXPECT_FALSE(g.gateway.MeasuredFlow(2, 30.0)) << "no reading reaches back 30 s yet";

    // Only writes for 40 s: the sign of life reads each controller once a
    // second, and the readings give the flow.
    for (int i = 0; i < 160; ++i) {
        g.gateway.SetMFCFlow(2, 3.0);
        g.gateway.SignOfLife();
        g.clock.advanceMs(250.0 - 20.0);
    }
    const std::size_t reads = g.gateway.TotalizerHistory(2).size();
    EXPECT_GE(reads, 38u);
    EXPECT_LE(reads, 42u);
    const auto flow = g.gateway.MeasuredFlow(2, 30.0);
    ASSERT_TRUE(flow);
    EXPECT_NEAR(*flow, 3.0, 0.03);
    EXPECT_NEAR(*g.gateway.MeasuredFlow(1, 30.0), 0.0, 1e-9);
    EXPECT_GE(g.gateway.SetPointSince(2) * MsPerDay, 0.0);

    // A controller that fails is asked again at every call, not a second later.
    g.rig.mfc.faults(1).Silent = true;
    g.clock.advanceMs(1000);
    for (int i = 0; i < 4; ++i) {
        g.gateway.SignOfLife();
        g.clock.advanceMs(250);
    }
    EXPECT_EQ(g.gateway.Health(TDevice::Controller1).ConsecutiveFailures, 4);
    EXPECT_FALSE(g.gateway.Health(TDevice::Controller2).Failing());
}

TEST(EquipmentGateway, MakesSafeEveryPortCommandedInThisRun)
{
    Gateway g;
    g.gateway.SetValvePositions(1, 1, 0, 0, 1, 0);
    g.gateway.WriteSetPoint(1, 0.015f);
    g.relayPort.clear();
    g.mfcPort.clear();
    g.gateway.MakeSafe(false, false);
    EXPECT_EQ(g.rig.relay.pattern(), 0);
    EXPECT_EQ(g.rig.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(g.rig.mfc.setPoint(2), 0.0f);
}

TEST(EquipmentGateway, KeepsTheNewestSoundBubblerReading)
{
    Gateway g;
    EXPECT_FALSE(g.gateway.LastBubblerReading());
    struct Step {
        double celsius;
        bool silent;
        double kept;  // the temperature kept afterwards
    };
    const Step steps[] = {{25.0, false, 25.0}, {30.0, true, 25.0}, {30.0, false, 30.0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.celsius);
        g.rig.relay.BubblerTemperatureC = s.celsius;
        g.rig.relay.Faults.Silent = s.silent;
        const double before = g.clock.now();
        g.gateway.ReadBubbler();
        ASSERT_TRUE(g.gateway.LastBubblerReading() && g.gateway.LastBubblerReading()->Thermistor);
        EXPECT_NEAR(g.gateway.LastBubblerReading()->Thermistor->TemperatureC, s.kept, 0.3);
        EXPECT_EQ(g.gateway.LastBubblerReadingAt() >= before, !s.silent) << "a failed reading is not the newest";
        g.clock.advanceMs(1000);
    }
}
