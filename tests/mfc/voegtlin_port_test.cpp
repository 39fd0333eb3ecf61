#include "clock.h"
#include "hex_bytes.h"
#include "mfc_bus_model.h"
#include "modbus_frame.h"
#include "rtu_frames.h"
#include "scripted_device.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "voegtlin_port.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr const char* PortName = "SIM-MFC";

// The register layer against a device on an in-process line.
template <class Device> struct Bus {
    FakeClock clock;
    Device device;
    SimulatedPort port{device, clock};
    RegisteredSerialLines lines;
    TVoegtlinPort mfc{lines, clock};

    Bus()
    {
        registerSimulatedPort(lines, PortName, port);
        mfc.UseControllerLine(PortName);
    }
};

// A reply of the device, its CRC added by the device side's own code.
DeviceReply Answer(const std::string& hexWithoutCrc)
{
    std::vector<std::uint8_t> bytes = Hex(hexWithoutCrc);
    AppendRtuCrc(bytes);
    return {2.0, bytes};
}

std::uint32_t Bits(float f)
{
    return std::bit_cast<std::uint32_t>(f);
}

constexpr std::uint32_t FailedReadNaN = 0xFFC00000;

}  // namespace

TEST(VoegtlinPort, RegistersDecodeByType)
{
    using Read = std::function<TSerialResponse(TVoegtlinPort&)>;
    struct Case {
        const char* name;
        Read read;
        const char* request;
        const char* reply;  // without CRC
        float asFloat;
        int asInteger;
        const char* asString;
    };
    const auto f32 = [](TVoegtlinPort& p) { return p.ReadF32(1, 4); };
    const char* f32Request = "01 03 00 04 00 02 85 CA";
    const Case cases[] = {
        {"F32 one", f32, f32Request, "01 03 04 3F 80 00 00", 1.0f, 0, ""},
        {"F32 zero", f32, f32Request, "01 03 04 00 00 00 00", 0.0f, 0, ""},
        {"F32 -100", f32, f32Request, "01 03 04 C2 C8 00 00", -100.0f, 0, ""},
        {"F32 infinite", f32, f32Request, "01 03 04 7F 80 00 00", std::numeric_limits<float>::infinity(), 0, ""},
        {"U8 is the whole register", [](TVoegtlinPort& p) { return p.ReadU8(1, 16697); }, "01 03 41 39 00 01 40 3B",
         "01 03 02 01 02", 258.0f, 258, ""},
        {"U16 top bit", [](TVoegtlinPort& p) { return p.ReadU16(2, 24866); }, "02 03 61 22 00 01 3B CF",
         "02 03 02 FF FE", 65534.0f, 65534, ""},
        {"S8 trims blanks", [](TVoegtlinPort& p) { return p.ReadS8(1, 24642); }, "01 03 60 42 00 04 FA 1D",
         "01 03 08 20 4E 32 20 20 20 20 20", 0.0f, 0, "N2"},
        {"S8 drops - and .", [](TVoegtlinPort& p) { return p.ReadS8(2, 35); }, "02 03 00 23 00 04 B5 F0",
         "02 03 08 47 53 43 2D 31 2E 30 00", 0.0f, 0, "GSC10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bus<ScriptedDevice> bus;
        bus.device.Replies.push_back(Answer(c.reply));
        const TSerialResponse r = c.read(bus.mfc);
        EXPECT_EQ(r.Status, "");
        EXPECT_EQ(Bits(r.AsFloat), Bits(c.asFloat));
        EXPECT_EQ(r.AsInteger, c.asInteger);
        EXPECT_EQ(r.AsString, c.asString);
        ASSERT_EQ(bus.device.Received.size(), 1u);
        EXPECT_EQ(ToHex(bus.device.Received[0]), c.request);
    }
}

TEST(VoegtlinPort, LongTextsKeepTheirBlanks)
{
    Bus<ScriptedDevice> bus;
    std::string reply = "01 03 32 20 4F 78 79 2D 67 65 6E";  // " Oxy-gen" and 42 blanks
    for (int i = 0; i < 42; ++i)
        reply += " 20";
    bus.device.Replies.push_back(Answer(reply));
    const TSerialResponse r = bus.mfc.ReadS50(1, 24610);
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(r.AsString, " Oxygen" + std::string(42, ' '));
    EXPECT_EQ(ToHex(bus.device.Received.at(0)), "01 03 60 22 00 19 3A 0A");
}

TEST(VoegtlinPort, AReadShowsItsReplyInHexAndDecimal)
{
    Bus<ScriptedDevice> bus;
    bus.device.Replies.push_back({2.0, Hex("01 03 02 00 0A 38 43")});
    const TSerialResponse r = bus.mfc.ReadU8(1, 16697);
    EXPECT_EQ(r.AsHex, "01 03 02 00 0A 38 43 ");
    EXPECT_EQ(r.AsInt, "1 3 2 0 10 56 67 ");
    EXPECT_EQ(r.AsInteger, 10);
}

TEST(VoegtlinPort, AReplyThatIsNotTheAnswerDecodesNothing)
{
    struct Case {
        const char* name;
        std::function<void(Bus<MfcBusModel>&)> fault;
        const char* status;
    };
    const Case cases[] = {
        {"silent controller", [](auto& b) { b.device.faults(1).Silent = true; }, StatusNoResult},
        {"port unplugged",
         [](auto& b) {
             b.port.Unavailable = true;
             b.port.UnavailableBecause.Why = SerialOpenFailure::Reason::Missing;
         },
         "No such port: SIM-MFC"},
        {"adapter pulled between the open and the write",
         [](auto& b) { b.port.BeforeExchange = [&b, n = 0](double) mutable { b.port.Unavailable = ++n == 2; }; },
         "Port SIM-MFC vanished while open"},
        {"answering too late", [](auto& b) { b.device.faults(1).ReplyDelayMs = 80.0; }, StatusNoResult},
        {"corrupted CRC", [](auto& b) { b.device.faults(1).BadCrc = true; }, StatusChecksumError},
        {"another address answers", [](auto& b) { b.device.faults(1).ReplyAddress = 2; }, StatusWrongDevice},
        {"exception reply", [](auto& b) { b.device.faults(1).ExceptionCode = 2; },
         "Controller 1 reported exception 2 (Illegal Data Address)"},
        {"a byte short", [](auto& b) { b.device.faults(1).LengthChange = -1; }, StatusWrongAmount},
        {"a stray byte after the reply", [](auto& b) { b.device.faults(1).LengthChange = 1; }, StatusWrongAmount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool decoded = *c.status == 0;
        {
            Bus<MfcBusModel> bus;
            c.fault(bus);
            const TSerialResponse f = bus.mfc.ReadF32(1, 24608);
            EXPECT_EQ(f.Status, c.status);
            EXPECT_EQ(Bits(f.AsFloat), decoded ? Bits(0.3f) : FailedReadNaN);
            EXPECT_EQ(f.AsHex.empty(), !decoded);
            EXPECT_EQ(f.AsInt.empty(), !decoded);
        }
        {
            Bus<MfcBusModel> bus;
            c.fault(bus);
            const TSerialResponse s = bus.mfc.ReadS8(1, 35);
            EXPECT_EQ(s.Status, c.status);
            EXPECT_EQ(s.AsString, decoded ? "GSC10417" : "");
        }
        {
            Bus<MfcBusModel> bus;
            c.fault(bus);
            const TSerialResponse u = bus.mfc.ReadU16(1, 24866);
            EXPECT_EQ(u.Status, c.status);
            EXPECT_EQ(u.AsInteger, decoded ? 50 : 0);
        }
    }
}

TEST(VoegtlinPort, AnAnswerToAnotherRequestIsNoReply)
{
    Bus<ScriptedDevice> bus;
    bus.device.Replies.push_back(Answer("01 10 00 06 00 02"));  // a write's acknowledgement
    const TSerialResponse r = bus.mfc.ReadF32(1, 4);
    EXPECT_EQ(r.Status, StatusUnexpectedFunction);
    EXPECT_EQ(Bits(r.AsFloat), FailedReadNaN);
}

TEST(VoegtlinPort, WritesReadTheirAcknowledgementInThePauseAfterThem)
{
    Bus<MfcBusModel> bus;
    EXPECT_EQ(bus.mfc.WriteF32(1, 6, 1.0f).AsHex, "01 10 00 06 00 02 A1 C9 ");
    EXPECT_EQ(bus.mfc.WriteU8(2, 16697, 3).Status, "");
    EXPECT_EQ(bus.clock.sleeps(), (std::vector<unsigned>{10, 10}));
    const auto& frames = bus.device.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(ToHex(frames[0].Bytes), "01 10 00 06 00 02 04 3F 80 00 00 7E 79");
    EXPECT_EQ(ToHex(frames[1].Bytes), "02 06 41 39 00 03 " + ToHex({frames[1].Bytes[6], frames[1].Bytes[7]}));
    EXPECT_TRUE(frames[1].CrcOk);
    EXPECT_EQ(bus.device.setPoint(1), 1.0f);
    EXPECT_EQ(bus.device.gasTableInUse(2), 3);

    bus.port.Unavailable = true;
    EXPECT_EQ(bus.mfc.WriteF32(1, 6, 2.0f).Status, StatusPortInUse);
    bus.port.Unavailable = false;
    bus.port.WriteFails = true;
    EXPECT_EQ(bus.mfc.WriteU8(1, 16697, 2).Status, StatusWriteFailed);
}

TEST(VoegtlinPort, ASetPointThatIsNegativeOrNotFiniteIsNeverSent)
{
    const float refused[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), -0.001f, -1.0e30f};
    for (float value : refused) {
        SCOPED_TRACE(value);
        Bus<MfcBusModel> bus;
        EXPECT_EQ(bus.mfc.WriteF32(2, 6, value).Status, StatusInvalidSetPoint);
        EXPECT_TRUE(bus.device.frames().empty());
        EXPECT_EQ(bus.port.openCount(), 0);
    }
    Bus<MfcBusModel> bus;
    EXPECT_EQ(bus.mfc.WriteF32(2, 6, 0.0f).Status, "");
    EXPECT_EQ(bus.mfc.WriteF32(2, 6, -0.0f).Status, "");
    ASSERT_EQ(bus.device.setPoints().size(), 2u);
    EXPECT_TRUE(bus.device.setPoints()[1].Accepted);
    // -0 goes out as +0, the same frame as 0.
    ASSERT_EQ(bus.device.frames().size(), 2u);
    EXPECT_EQ(ToHex(bus.device.frames()[1].Bytes), ToHex(bus.device.frames()[0].Bytes));
    EXPECT_EQ(ToHex(bus.device.frames()[1].Bytes).substr(21, 11), "00 00 00 00");
}

TEST(VoegtlinPort, AnAcknowledgementTooLateForItsWriteIsSkippedToFindTheNextReply)
{
    // A slow controller: the acknowledgement of the set-point write comes
    // after the write has given up on it, while the next transaction empties
    // the queue, and arrives in front of the reply to the read.
    Bus<MfcBusModel> bus;
    bus.device.faults(1).ReplyDelayMs = 40.0;
    EXPECT_EQ(bus.mfc.WriteF32(1, 6, 0.125f).Status, StatusNoResult);
    bus.device.faults(1).ReplyDelayMs = 2.0;
    bus.clock.sleepMs(5);
    const TSerialResponse r = bus.mfc.ReadF32(1, 6);
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(r.ResponseLength, 8 + 9);
    EXPECT_EQ(r.AsFloat, 0.125f);
    EXPECT_EQ(r.AsHex.substr(0, 9), "01 03 04 ");
}

TEST(VoegtlinPort, ALateReplyIsNotTakenForTheNextAnswer)
{
    Bus<MfcBusModel> bus;
    bus.port.KeepsBytesWhileClosed = true;  // as some USB adapters do
    bus.device.faults(1).ReplyDelayMs = 80.0;
    EXPECT_EQ(bus.mfc.ReadS8(1, 35).Status, StatusNoResult);
    bus.device.faults(1).ReplyDelayMs = 2.0;
    bus.clock.sleepMs(100);  // the late identification has arrived by now
    const TSerialResponse r = bus.mfc.ReadF32(1, 24608);
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(r.AsFloat, bus.device.gasTable(1, 1)->FullScale);
}
