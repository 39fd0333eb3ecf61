#include "clock.h"
#include "hex_bytes.h"
#include "scripted_device.h"
#include "serial_lines.h"
#include "serial_port.h"
#include "simulated_port.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr const char* PortName = "SIM1";

// A transaction against a scripted device on an in-process line.
struct Line {
    FakeClock clock;
    ScriptedDevice device;
    SimulatedPort port{device, clock};
    RegisteredSerialLines lines;
    TSerialPort serial{lines, clock};

    Line()
    {
        registerSimulatedPort(lines, PortName, port);
        serial.Port = PortName;
        serial.BaudRate = 9600;
        serial.StopBits = 2;
        serial.WindowsReadLoopTimeoutMS = 10;
        serial.ReadoutTimeoutMS = 50;
    }

    void Reply(const std::string& hex, double delayMs = 0.0) { device.Replies.push_back({delayMs, Hex(hex)}); }

    TSerialResponse Send(const std::string& hex, bool wait = true, TSerialResponse r = {})
    {
        const auto bytes = Hex(hex);
        serial.SendData(bytes.data(), static_cast<std::uint32_t>(bytes.size()), wait, r);
        return r;
    }
};

std::vector<std::uint8_t> Bytes(const TSerialResponse& r, std::size_t count)
{
    return {r.rArray.begin(), r.rArray.begin() + static_cast<std::ptrdiff_t>(count)};
}

}  // namespace

TEST(SendData, EveryOutcomeHasItsStatusAndThePortIsClosedAfterwards)
{
    struct Case {
        const char* name;
        std::function<void(Line&)> arrange;
        const char* status;
        bool responseKept;  // failures before the read leave Response as supplied
    };
    const Case cases[] = {
        {"reply", [](Line& l) { l.Reply("01 02 03"); }, "", false},
        {"no port name", [](Line& l) { l.serial.Port = ""; }, StatusPortInUse, true},
        {"unknown port", [](Line& l) { l.serial.Port = "COM99"; }, StatusPortInUse, true},
        {"unplugged", [](Line& l) { l.port.Unavailable = true; }, StatusPortInUse, true},
        {"parity code refused", [](Line& l) { l.serial.Parity = 7; }, StatusPortInUse, true},
        {"stop-bit code refused", [](Line& l) { l.serial.StopBits = 3; }, StatusPortInUse, true},
        {"write fails", [](Line& l) { l.port.WriteFails = true; }, StatusWriteFailed, true},
        {"silent device", [](Line&) {}, StatusTimeout, false},
        {"read fails",
         [](Line& l) {
             l.Reply("01");
             l.port.ReadFails = true;
         },
         StatusReadFailed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Line l;
        c.arrange(l);
        TSerialResponse supplied;
        supplied.Response = QStringLiteral("as supplied");
        const TSerialResponse r = l.Send("01 03 00 04", true, supplied);
        EXPECT_EQ(r.Status, c.status);
        if (c.responseKept) {
            EXPECT_EQ(r.Response, "as supplied");
        } else if (*c.status) {
            EXPECT_TRUE(r.Response.isEmpty());
        }
        EXPECT_FALSE(l.port.isOpen());
        if (*c.status) {
            EXPECT_EQ(r.ResponseLength, 0);
        }
    }
}

TEST(SendData, PortHeldByAnotherTransactionIsInUse)
{
    Line l;
    auto other = l.port.makeLine();
    ASSERT_TRUE(other->open());
    EXPECT_EQ(l.Send("01").Status, StatusPortInUse);
    other->close();
    l.Reply("05");
    EXPECT_EQ(l.Send("01").Status, "");
}

TEST(SendData, UnexpectedErrorLeavesTheFirstStatusAndClosesTheLine)
{
    struct ThrowingLine final : SerialLine {
        bool* closed;
        explicit ThrowingLine(bool* c)
            : closed(c)
        {
        }
        bool open() override { return true; }
        bool configure(std::int32_t, std::int32_t, std::int32_t) override { return true; }
        void purge() override {}
        bool write(const std::uint8_t*, std::size_t) override { return true; }
        void drain() override {}
        int bytesWaiting() override { return 1; }
        bool read(std::vector<std::uint8_t>&, std::size_t) override { throw std::runtime_error("driver"); }
        void close() override { *closed = true; }
    };
    FakeClock clock;
    RegisteredSerialLines lines;
    bool closed = false;
    lines.registerLine("X", [&] { return std::make_unique<ThrowingLine>(&closed); });
    TSerialPort serial(lines, clock);
    serial.Port = "X";
    serial.WindowsReadLoopTimeoutMS = 10;
    TSerialResponse r;
    const std::uint8_t request[] = {1};
    serial.SendData(request, 1, true, r);
    EXPECT_EQ(r.Status, StatusUnknownProblem);
    EXPECT_TRUE(closed);
}

TEST(SendData, ReplyFillsTheRecord)
{
    Line l;
    l.Reply("01 03 04 3F 80 00 00 F7 CF");
    const TSerialResponse r = l.Send("01 03 00 04 00 02 85 CA");
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(r.ResponseLength, 9);
    EXPECT_EQ(ToHex(Bytes(r, 9)), "01 03 04 3F 80 00 00 F7 CF");
    ASSERT_EQ(r.Response.size(), 9);
    EXPECT_EQ(r.Response[3].unicode(), 0x3F);
    EXPECT_EQ(r.Response[4].unicode(), 0x80);
    EXPECT_EQ(r.ValueOfFirstWord, 0x3F80);
    EXPECT_EQ(r.ValueOfSecondWord, 0x0000);
    ASSERT_EQ(l.device.Received.size(), 1u);
    EXPECT_EQ(ToHex(l.device.Received[0]), "01 03 00 04 00 02 85 CA");
    EXPECT_EQ(l.port.configured(), (SerialFraming{9600, 0, 2}));
}

TEST(SendData, ShortRepliesLeaveTheWordsAsSupplied)
{
    Line l;
    l.Reply("55 01 02 03 04 05");
    TSerialResponse supplied;
    supplied.ValueOfFirstWord = 1234;
    supplied.ValueOfSecondWord = -5;
    const TSerialResponse r = l.Send("FE 21", true, supplied);
    EXPECT_EQ(r.ResponseLength, 6);
    EXPECT_EQ(r.ValueOfFirstWord, 1234);
    EXPECT_EQ(r.ValueOfSecondWord, -5);
}

TEST(SendData, WithoutAwaitingAReplyOnlyWrites)
{
    Line l;
    l.Reply("AA BB");  // the device answers, but nobody listens
    TSerialResponse supplied;
    supplied.rArray[0] = 0x77;
    supplied.Response = QStringLiteral("old");
    supplied.Status = "old";
    const TSerialResponse r = l.Send("01 06 41 39 00 03 0D FA", false, supplied);
    EXPECT_EQ(r.Status, "");
    EXPECT_TRUE(r.Response.isEmpty());
    EXPECT_EQ(r.ResponseLength, 0);
    EXPECT_EQ(r.rArray[0], 0x77);
    EXPECT_TRUE(l.clock.sleeps().empty());
    ASSERT_EQ(l.device.Received.size(), 1u);
    EXPECT_EQ(ToHex(l.device.Received[0]), "01 06 41 39 00 03 0D FA");
}

TEST(SendData, AReadTakesAtMost256BytesAndCountsThemModulo256)
{
    for (std::size_t sent : {255u, 256u, 300u}) {
        SCOPED_TRACE(sent);
        Line l;
        l.device.Framing.BaudRate = 115200;
        l.serial.BaudRate = 115200;
        std::vector<std::uint8_t> reply(sent);
        for (std::size_t i = 0; i < sent; ++i)
            reply[i] = static_cast<std::uint8_t>(i * 7 + 1);
        l.device.Replies.push_back({0.0, reply});
        const TSerialResponse r = l.Send("01");
        EXPECT_EQ(r.Status, "");
        EXPECT_EQ(r.ResponseLength, sent == 255 ? 255 : 0);
        const std::size_t kept = std::min<std::size_t>(sent, 256);
        EXPECT_EQ(r.Response.size(), static_cast<qsizetype>(kept));
        EXPECT_EQ(Bytes(r, kept), std::vector<std::uint8_t>(reply.begin(), reply.begin() + kept));
    }
}

TEST(SendData, PollsUntilTheDeadlineAndSleepsAfterEveryPoll)
{
    struct Case {
        unsigned loopMs;
        unsigned readoutMs;
        std::size_t sleeps;  // the one after the write, then one per poll
    };
    const Case cases[] = {{10, 50, 6}, {5, 50, 11}, {333, 1000, 5}, {10, 0, 1}, {50, 10, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.loopMs << "/" << c.readoutMs);
        Line l;
        l.serial.WindowsReadLoopTimeoutMS = c.loopMs;
        l.serial.ReadoutTimeoutMS = c.readoutMs;
        EXPECT_EQ(l.Send("01").Status, StatusTimeout);
        EXPECT_EQ(l.clock.sleeps(), std::vector<unsigned>(c.sleeps, c.loopMs));
    }
}

TEST(SendData, APollThatFindsDataIsStillFollowedByItsSleep)
{
    Line l;
    l.device.Framing.BaudRate = 115200;
    l.serial.BaudRate = 115200;
    l.serial.WindowsReadLoopTimeoutMS = 5;
    l.Reply("55");
    const double start = l.clock.now();
    EXPECT_EQ(l.Send("FE 21").Status, "");
    EXPECT_EQ(l.clock.sleeps(), (std::vector<unsigned>{5, 5}));
    // ... and the read ends after 20 ms without a new byte.
    EXPECT_NEAR((l.clock.now() - start) * MsPerDay, 30.0, 0.01);
}

TEST(SendData, AReplyStillArrivingWhenTheReadStartsIsReadWhole)
{
    Line l;
    l.device.Framing.BaudRate = 1200;  // 9 ms a byte: the reply takes 80 ms
    l.serial.BaudRate = 1200;
    l.serial.ReadoutTimeoutMS = 200;
    l.Reply("01 03 04 3F 80 00 00 F7 CF");
    const TSerialResponse r = l.Send("01 03 00 04 00 02 85 CA");
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(ToHex(Bytes(r, r.ResponseLength)), "01 03 04 3F 80 00 00 F7 CF");
}

TEST(SendData, BytesLeftFromAnEarlierExchangeAreNotTakenForTheReply)
{
    Line l;
    l.port.KeepsBytesWhileClosed = true;
    l.Reply("01 06 41 39 00 03 0D FA");  // acknowledgement of the write
    l.Send("01 06 41 39 00 03 0D FA", false);
    l.clock.sleepMs(20);
    l.Reply("01 03 02 00 0A 38 43");
    const TSerialResponse r = l.Send("01 03 41 39 00 01 00 00");
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(ToHex(Bytes(r, r.ResponseLength)), "01 03 02 00 0A 38 43");
}

TEST(SendData, ADeviceListeningAtAnotherSpeedHearsNothing)
{
    Line l;
    l.serial.BaudRate = 19200;
    l.Reply("01");
    EXPECT_EQ(l.Send("01").Status, StatusTimeout);
    EXPECT_TRUE(l.device.Received.empty());
    EXPECT_EQ(l.port.configured(), (SerialFraming{19200, 0, 2}));
}

TEST(SendData, TraceHasALineForEveryStepReachedAtTheWallClockTime)
{
    Line l;
    l.device.Framing.BaudRate = 115200;
    l.serial.BaudRate = 115200;
    l.serial.WindowsReadLoopTimeoutMS = 5;
    l.serial.Debug = true;
    l.clock.shiftWallClockHours(1.0);  // trace times are wall-clock times
    l.Reply("55");
    l.Send("FE 21");
    EXPECT_EQ(l.serial.DebugMSG,
              "Time  1: 11:00:00.000\r\nTime  2: 11:00:00.000\r\nTime  3: 11:00:00.000\r\n"
              "Time  4: 11:00:00.000\r\nTime  5: 11:00:00.000\r\nTime  6: 11:00:00.000\r\n"
              "Time  7: 11:00:00.005\r\nTime  8: 11:00:00.010\r\nTime  9: 11:00:00.030\r\n");

    l.Send("FE 21", false);
    EXPECT_EQ(l.serial.DebugMSG.count(QStringLiteral("\r\n")), 6);
    EXPECT_TRUE(l.serial.DebugMSG.endsWith(QStringLiteral("Time  6: 11:00:00.030\r\n")));

    l.Send("FE 21");  // silent now
    EXPECT_EQ(l.serial.DebugMSG.count(QStringLiteral("\r\n")), 8);

    l.serial.Port = "";
    l.Send("FE 21");
    EXPECT_EQ(l.serial.DebugMSG.count(QStringLiteral("\r\n")), 2);

    l.serial.Debug = false;
    l.Send("FE 21");
    EXPECT_TRUE(l.serial.DebugMSG.isEmpty());
}
