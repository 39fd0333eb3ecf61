#include "clock.h"
#include "compounds.h"
#include "pty_host.h"
#include "relay_board.h"
#include "relay_board_model.h"
#include "scripted_device.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "system_serial_lines.h"
#include "thermistor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Bench {
    FakeClock clock;
    RelayBoardModel model;
    SimulatedPort port{model, clock};
    RegisteredSerialLines lines;
    RelayBoard board{lines, clock, "SIM-RELAY"};

    Bench() { registerSimulatedPort(lines, "SIM-RELAY", port); }
};

}  // namespace

TEST(RelayBoard, ValvePatternsReachTheBoardAsThreeBytes)
{
    Bench b;
    const std::uint8_t patterns[] = {19, 0, 0, 4, 35, 40, 24, 63};
    for (std::uint8_t p : patterns) {
        const TSerialResponse r = SendValvePattern(b.board, p);
        EXPECT_EQ(r.Status, "");
        EXPECT_EQ(b.model.pattern(), p);
    }
    ASSERT_EQ(b.model.commands().size(), std::size(patterns));
    for (std::size_t i = 0; i < std::size(patterns); ++i)
        EXPECT_EQ(b.model.commands()[i].Bytes, (std::vector<std::uint8_t>{254, 40, patterns[i]}));
    // The line is the board's: 115200 bit/s, no parity, two stop bits.
    EXPECT_EQ(b.port.configured(), (SerialFraming{115200, 0, 2}));
    EXPECT_FALSE(b.port.isOpen()) << "no port stays open between transactions";
}

TEST(RelayBoard, BoardCheckTranscriptAndVerdict)
{
    struct Case {
        const char* name;
        void (*fault)(RelayBoardFaults&);
        const char* status;
        const char* response;
        bool ok;
    };
    const Case cases[] = {
        {"answers 85", [](RelayBoardFaults&) {}, "", "85", true},
        {"answers another byte", [](RelayBoardFaults& f) { f.CheckReply = 7; }, "", "7", false},
        {"answers 0", [](RelayBoardFaults& f) { f.CheckReply = 0; }, "", "0", false},
        {"silent", [](RelayBoardFaults& f) { f.Silent = true; }, "Timeout while waiting for response", "0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        c.fault(b.model.Faults);
        const TBoardCheck check = CheckRelayBoard(b.board);
        ASSERT_EQ(check.Lines.size(), 6u);
        EXPECT_EQ(check.Lines[0], "Time  0: 10:00:00.000");
        EXPECT_EQ(check.Lines[1], "");
        EXPECT_EQ(check.Lines[2], "Write 254 33  : 254 33");
        EXPECT_EQ(check.Lines[3], std::string("Comm Status   : ") + c.status);
        EXPECT_EQ(check.Lines[4], std::string("Comm Response : ") + c.response);
        EXPECT_EQ(check.Lines[5],
                  c.ok ? "Relay board controlling solenoids is OK" : "Relay board controlling solenoids was NOT OK");
        EXPECT_EQ(check.Ok, c.ok);
    }
}

TEST(RelayBoard, BoardCheckOnAMissingPortIsNotOk)
{
    Bench b;
    b.port.Unavailable = true;
    const TBoardCheck check = CheckRelayBoard(b.board);
    EXPECT_FALSE(check.Ok);
    EXPECT_EQ(check.Lines[3], "Comm Status   : Failed to setup Com port, port in use");
    EXPECT_EQ(check.Lines[4], "Comm Response : 0");
}

TEST(RelayBoard, BubblerReadingAtHalfScale)
{
    Bench b;
    b.model.Faults.AnalogueCount = 512;
    const TBubblerReading r = ReadBubbler(b.board);
    EXPECT_EQ(r.Lines, (std::vector<std::string>{"0-1024 DAC = 512", "Voltage    = 2.5", "Ohm        = 10000"}));
    ASSERT_TRUE(r.Thermistor.has_value());
    EXPECT_NEAR(r.Thermistor->TemperatureC, 24.4, 0.05);
    ASSERT_TRUE(r.PressureATM.has_value());
    EXPECT_EQ(*r.PressureATM, GetH2OPressureATM(static_cast<float>(r.Thermistor->TemperatureC)));
    EXPECT_EQ(b.model.commands().back().Bytes, (std::vector<std::uint8_t>{254, 158}));
}

TEST(RelayBoard, BubblerReadingsThatGiveNoVapourPressure)
{
    struct Case {
        const char* name;
        void (*fault)(RelayBoardFaults&);
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"silent board",
         [](RelayBoardFaults& f) { f.Silent = true; },
         {"Thermistor reading failed: Timeout while waiting for response"}},
        {"one byte only",
         [](RelayBoardFaults& f) { f.ShortAnalogueReply = true; },
         {"Thermistor reading failed: short reply"}},
        {"shorted thermistor",
         [](RelayBoardFaults& f) { f.AnalogueCount = 0; },
         {"0-1024 DAC = 0", "Thermistor reading out of range: DAC = 0"}},
        {"full scale",
         [](RelayBoardFaults& f) { f.AnalogueCount = 1024; },
         {"0-1024 DAC = 1024", "Thermistor reading out of range: DAC = 1024"}},
        {"beyond full scale",
         [](RelayBoardFaults& f) { f.AnalogueCount = 4000; },
         {"0-1024 DAC = 4000", "Thermistor reading out of range: DAC = 4000"}},
        {"below freezing",
         [](RelayBoardFaults& f) { f.AnalogueCount = 990; },
         {"0-1024 DAC = 990", "Thermistor reading out of range: DAC = 990"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        c.fault(b.model.Faults);
        const TBubblerReading r = ReadBubbler(b.board);
        EXPECT_EQ(r.Lines, c.lines);
        EXPECT_FALSE(r.PressureATM.has_value());
        EXPECT_FALSE(r.Problem.empty());
    }
}

TEST(RelayBoard, LongRepliesAreJudgedByTheirFirstBytesNotByAWrappedCount)
{
    for (std::size_t length : {255u, 256u, 300u, 600u}) {
        SCOPED_TRACE(length);
        FakeClock clock;
        ScriptedDevice device;
        device.Framing = {115200, 0, 2};
        SimulatedPort port{device, clock};
        RegisteredSerialLines lines;
        registerSimulatedPort(lines, "SIM-RELAY", port);
        const RelayBoard board{lines, clock, "SIM-RELAY"};
        std::vector<std::uint8_t> reply(length, 0x55);
        device.Replies.push_back({1.0, reply});
        reply[0] = 2;  // DAC 2 * 256 + 0x55 = 597
        device.Replies.push_back({1.0, reply});

        const TBoardCheck check = CheckRelayBoard(board);
        EXPECT_TRUE(check.Ok);
        EXPECT_EQ(check.Lines[4], "Comm Response : 85");
        clock.advanceMs(100.0);  // the rest of the long reply arrives, and is dropped
        const TBubblerReading r = ReadBubbler(board);
        EXPECT_EQ(r.Lines.at(0), "0-1024 DAC = 597");
        EXPECT_TRUE(r.PressureATM.has_value()) << r.Problem;
    }
}

TEST(RelayBoard, TheProgramReadsBackTheSimulatedBubblerTemperature)
{
    for (double celsius : {5.0, 15.0, 22.0, 25.0, 37.5, 60.0}) {
        SCOPED_TRACE(celsius);
        Bench b;
        b.model.BubblerTemperatureC = celsius;
        const TBubblerReading r = ReadBubbler(b.board);
        ASSERT_TRUE(r.Thermistor.has_value());
        // One converter step is about 0.1 degrees near room temperature.
        EXPECT_NEAR(r.Thermistor->TemperatureC, celsius, 0.15);
        ASSERT_TRUE(r.PressureATM.has_value());
        EXPECT_NEAR(*r.PressureATM, GetH2OPressureATM(static_cast<float>(celsius)), 5e-4);
    }
}

TEST(RelayBoard, TransactionsWaitOnlyTheBoardsPollTimes)
{
    Bench b;
    SendValvePattern(b.board, 24);
    // 5 ms after the write, then one poll that finds the reply and its sleep.
    EXPECT_EQ(b.clock.sleeps(), (std::vector<unsigned>{5, 5}));
    b.clock.clearSleeps();
    b.model.Faults.Silent = true;
    SendValvePattern(b.board, 24);
    // A silent board: polls for 50 ms, each followed by its 5 ms sleep.
    EXPECT_GE(b.clock.sleptMs(), 50u);
    EXPECT_LE(b.clock.sleptMs(), 60u);
}

TEST(RelayBoardOnAPseudoTerminal, TheOperatingSystemsSerialPathCarriesAllThreeCommands)
{
    RealClock clock;
    RelayBoardModel model;
    model.BubblerTemperatureC = 25.0;
    PtyDeviceHost host(model, clock);
    ASSERT_TRUE(host.isRunning());
    SystemSerialLines lines;
    const RelayBoard board{lines, clock, host.portPath()};

    const TBoardCheck check = CheckRelayBoard(board);
    EXPECT_TRUE(check.Ok) << check.Response.Status;
    EXPECT_EQ(SendValvePattern(board, 19).Status, "");
    const TBubblerReading reading = ReadBubbler(board);
    ASSERT_TRUE(reading.Thermistor.has_value()) << reading.Problem;
    EXPECT_NEAR(reading.Thermistor->TemperatureC, 25.0, 0.15);

    host.withModel([](DeviceModel& m) {
        const auto& relay = static_cast<RelayBoardModel&>(m);
        EXPECT_EQ(relay.pattern(), 19);
        ASSERT_EQ(relay.commands().size(), 3u);
        EXPECT_EQ(relay.commands()[0].Bytes, (std::vector<std::uint8_t>{254, 33}));
    });
}
