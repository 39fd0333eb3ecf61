// Every write and read the program makes, against a peer whose reply to
// the one request a row aims at is lost, cut short, garbled, different,
// refused or a value no device can mean: on the in-process line (fake
// clock) and on a pseudo-terminal (the system's serial path, real clock).
#include "clock.h"
#include "mfc_bus_model.h"
#include "mfc_services.h"
#include "pty_host.h"
#include "relay_board.h"
#include "relay_board_model.h"
#include "rtu_frames.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "system_serial_lines.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Change = std::function<Bytes(const Bytes& request, Bytes reply)>;

// A sound device whose reply to the aimed-at request is changed.
struct Peer final : DeviceModel {
    Peer(DeviceModel& sound, std::function<bool(const Bytes&)> aimed, Change changed)
        : Sound(sound)
        , Aimed(std::move(aimed))
        , Changed(std::move(changed))
    {
    }
    SerialFraming framing() const override { return Sound.framing(); }
    DeviceReply receive(const Bytes& bytes, double at) override
    {
        DeviceReply reply = Sound.receive(bytes, at);
        if (Aimed(bytes))
            reply.Bytes = Changed(bytes, reply.Bytes);
        return reply;
    }
    DeviceModel& Sound;
    std::function<bool(const Bytes&)> Aimed;
    Change Changed;
};

Bytes Framed(Bytes body)
{
    AppendRtuCrc(body);
    return body;
}
const Change Sound = [](const Bytes&, Bytes r) { return r; };
const Change Lost = [](const Bytes&, Bytes) { return Bytes{}; };
const Change Short = [](const Bytes&, Bytes r) { return Bytes(r.begin(), r.end() - 1); };
Bytes Flipped(Bytes bytes, std::size_t at)
{
    bytes[at] ^= 0x10;
    return bytes;
}
const Change Garbled = [](const Bytes&, Bytes r) { return Flipped(r, 3); };
// A well-formed reply that echoes another value or count than was sent.
const Change OtherEcho = [](const Bytes&, Bytes r) { return Framed(Flipped(Bytes(r.begin(), r.end() - 2), 5)); };
Change Exception(std::uint8_t code)
{
    return [code](const Bytes& q, Bytes) { return Framed({q[0], static_cast<std::uint8_t>(q[1] | 0x80), code}); };
}
Change Registers(Bytes data)
{
    return [data](const Bytes& q, Bytes) {
        Bytes r{q[0], 3, static_cast<std::uint8_t>(data.size())};
        r.insert(r.end(), data.begin(), data.end());
        return Framed(r);
    };
}
Change Float(float value)
{
    const auto b = std::bit_cast<std::uint32_t>(value);
    return Registers({static_cast<std::uint8_t>(b >> 24), static_cast<std::uint8_t>(b >> 16),
                      static_cast<std::uint8_t>(b >> 8), static_cast<std::uint8_t>(b)});
}
Change Answer(Bytes bytes)
{
    return [bytes](const Bytes&, Bytes) { return bytes; };
}

std::function<bool(const Bytes&)> Modbus(int address, int function, int reg)
{
    return [=](const Bytes& q) {
        return q.size() >= 4 && q[0] == address && q[1] == function && (q[2] << 8 | q[3]) == reg;
    };
}
std::function<bool(const Bytes&)> Relay(int code)
{
    return [=](const Bytes& q) { return q.size() >= 2 && q[0] == 254 && q[1] == code; };
}

// One of the program's exchanges on the peer's port: its status, "" when
// the reply was taken.
using Exchange = std::function<std::string(const MfcBus&, const RelayBoard&)>;

const Exchange SetPoint = [](const MfcBus& bus, const RelayBoard&) { return SetMFCFlow(bus, 2, 0.0).Status; };
const Exchange Zeroing = [](const MfcBus& bus, const RelayBoard&) {
    TTotalizer a, b;
    return ResetRetrieveTotalizers(bus, a, b);
};
// A range taken although the switch failed is a failure of its own.
const Exchange GasTable = [](const MfcBus& bus, const RelayBoard&) {
    TFlowInfo info;
    double min = -1.0, max = -1.0;
    const std::string status = MinMaxFlow(bus, 1, 3, info, min, max);
    return status.empty() == (max > 0.0) ? status : "range taken: " + status;
};
// So is a reading that replaced the last good one although it failed.
const Exchange Totalizers = [](const MfcBus& bus, const RelayBoard&) {
    TTotalizer a, b;
    b.Value = 5.0;
    const std::string status = ReadTotalizers(bus, a, b);
    return status.empty() || b.Value == 5.0 ? status : "reading replaced: " + status;
};
const Exchange Identify = [](const MfcBus& bus, const RelayBoard&) {
    const MfcIdentification id = IdentifyMFCs(bus);
    return id.Ok ? std::string() : id.Controller1.Status + "|" + id.Controller2.Status;
};
const Exchange Valves = [](const MfcBus&, const RelayBoard& board) { return SendValvePattern(board, 19).Status; };

struct Row {
    const char* Name;
    Exchange Run;
    bool Relay;  // the relay board's port, else the controllers'
    std::function<bool(const Bytes&)> Aimed;
    Change Changed;
    std::string Status;
};

std::vector<Row> Rows()
{
    const std::string setPoint = "Controller 2 did not confirm the set-point 0.000: ";
    const std::string table = "Controller 1 did not confirm gas table 3: ";
    const std::string totalizer = "Controller 2 totalizer not read: ";
    const std::string valves = "Relay board did not confirm valve pattern 19: ";
    return {
        {"set-point confirmed", SetPoint, false, Modbus(2, 16, 6), Sound, ""},
        {"set-point unanswered", SetPoint, false, Modbus(2, 16, 6), Lost, setPoint + "No result to read"},
        {"set-point echo cut", SetPoint, false, Modbus(2, 16, 6), Short, setPoint + "Wrong amount of data waiting"},
        {"set-point echo garbled", SetPoint, false, Modbus(2, 16, 6), Garbled, setPoint + "Checksum error in response"},
        {"set-point other count", SetPoint, false, Modbus(2, 16, 6), OtherEcho,
         setPoint + "Response does not match the request"},
        {"set-point refused", SetPoint, false, Modbus(2, 16, 6), Exception(3),
         setPoint + "it reported exception 3 (Illegal Data Value)"},
        {"zeroing refused", Zeroing, false, Modbus(1, 16, 25472), Exception(4),
         "Controller 1 did not confirm the totalizer zeroing: it reported exception 4 (Server Device Failure)"},
        {"gas table taken", GasTable, false, Modbus(1, 6, 16697), Sound, ""},
        {"table in use unanswered", GasTable, false, Modbus(1, 6, 16697), Lost, table + "No result to read"},
        {"table in use other value", GasTable, false, Modbus(1, 6, 16697), OtherEcho,
         table + "Response does not match the request"},
        {"table read back as another", GasTable, false, Modbus(1, 3, 16697), Registers({0, 2}),
         "Controller 1 did not take gas table 3: it meters with table 2"},
        {"full scale beyond any controller", GasTable, false, Modbus(1, 3, 24608), Float(3.4e38f),
         "Invalid full-scale flow"},
        {"dynamic range 0", GasTable, false, Modbus(1, 3, 24866), Registers({0, 0}), "Invalid dynamic range"},
        {"totalizers read", Totalizers, false, Modbus(2, 3, 4), Sound, ""},
        {"totalizer unanswered", Totalizers, false, Modbus(2, 3, 4), Lost, totalizer + "No result to read"},
        {"totalizer garbled", Totalizers, false, Modbus(2, 3, 4), Garbled, totalizer + "Checksum error in response"},
        {"totalizer not a number", Totalizers, false, Modbus(2, 3, 4), Float(std::numeric_limits<float>::quiet_NaN()),
         totalizer + "invalid reading nan kg"},
        {"identification unanswered", Identify, false, Modbus(1, 3, 35), Lost, "No result to read|"},
        {"valves taken", Valves, true, Relay(40), Sound, ""},
        {"valves unanswered", Valves, true, Relay(40), Lost, valves + "no reply"},
        {"valves answered wrong", Valves, true, Relay(40), Answer({84}), valves + "it answered 84"},
        {"valves answered by a flood", Valves, true, Relay(40), Answer(Bytes(64, 85)),
         valves + "it answered 85 85 85 85 85 85 85 85 85 85 85 85 85 85 85 85 ... (64 bytes)"},
    };
}

}  // namespace

TEST(Confirmation, EveryExchangeTakesOnlyTheReplyItAskedFor)
{
    for (const Row& row : Rows()) {
        for (const bool terminal : {false, true}) {
            SCOPED_TRACE(std::string(row.Name) + (terminal ? ", pseudo-terminal" : ", in-process"));
            MfcBusModel controllers;
            RelayBoardModel board;
            Peer peer(row.Relay ? static_cast<DeviceModel&>(board) : controllers, row.Aimed, row.Changed);
            if (!terminal) {
                FakeClock clock;
                SimulatedPort port(peer, clock);
                RegisteredSerialLines lines;
                registerSimulatedPort(lines, "PEER", port);
                EXPECT_EQ(row.Run(MfcBus{lines, clock, "PEER"}, RelayBoard{lines, clock, "PEER"}), row.Status);
                continue;
            }
            RealClock clock;
            PtyDeviceHost host(peer, clock);
            ASSERT_TRUE(host.isRunning());
            SystemSerialLines lines;
            const std::string path = host.portPath();
            EXPECT_EQ(row.Run(MfcBus{lines, clock, path}, RelayBoard{lines, clock, path}), row.Status);
        }
    }
}
