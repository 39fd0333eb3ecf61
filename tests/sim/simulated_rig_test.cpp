#include "clock.h"
#include "hex_bytes.h"
#include "rtu_frames.h"
#include "serial_lines.h"
#include "simulated_rig.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// A machine with two serial ports of its own.
class TwoSystemPorts final : public SerialLines {
protected:
    std::vector<std::string> systemPortNames() const override { return {"/dev/ttyS0", "/dev/ttyUSB0"}; }
    std::unique_ptr<SerialLine> makeSystemLine(const std::string&) const override { return nullptr; }
};

} // namespace

TEST(SimulatedRig, ItsPortsFollowTheSystemsAndReachItsModels)
{
    FakeClock clock;
    SimulatedRig rig(clock);
    TwoSystemPorts lines;
    EXPECT_EQ(lines.portNames(), (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));
    rig.registerOn(lines);
    EXPECT_EQ(lines.portNames(), (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0", "SIM-RELAY", "SIM-MFC"}));

    // Controller 2's identification, read through the port the program
    // would open by that name.
    std::unique_ptr<SerialLine> line = lines.makeLine(SimulatedRig::MfcPortName);
    ASSERT_NE(line, nullptr);
    ASSERT_TRUE(line->open());
    ASSERT_TRUE(line->configure(9600, 0, 2));
    std::vector<std::uint8_t> request = Hex("02 03 00 23 00 04");
    AppendRtuCrc(request);
    ASSERT_TRUE(line->write(request.data(), request.size()));
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(line->read(reply, 13));
    line->close();

    ASSERT_EQ(reply.size(), 13u);
    EXPECT_TRUE(RtuCrcMatches(reply));
    EXPECT_EQ(std::string(reply.begin() + 3, reply.begin() + 11), rig.mfc.identification(2));
    ASSERT_EQ(rig.mfc.frames().size(), 1u);
    EXPECT_EQ(rig.mfc.frames()[0].Bytes, request);
    EXPECT_EQ(rig.mfcPort.openCount(), 1);

    // The relay board answers its check on its own port.
    line = lines.makeLine(SimulatedRig::RelayPortName);
    ASSERT_NE(line, nullptr);
    ASSERT_TRUE(line->open());
    ASSERT_TRUE(line->configure(115200, 0, 2));
    const std::uint8_t check[] = {254, 33};
    ASSERT_TRUE(line->write(check, sizeof check));
    ASSERT_TRUE(line->read(reply, 1));
    line->close();
    EXPECT_EQ(reply, std::vector<std::uint8_t>{85});
    ASSERT_EQ(rig.relay.commands().size(), 1u);
    EXPECT_EQ(rig.relay.commands()[0].Bytes, (std::vector<std::uint8_t>{254, 33}));
    EXPECT_EQ(rig.mfc.frames().size(), 1u);
}

TEST(SimulatedRig, ReadsAFaultScheduleAsKindAtSeconds)
{
    struct Case {
        const char* text;
        std::optional<TRigFault> fault;  // none: refused
        double seconds;
    };
    const Case cases[] = {
        {"relay-silent@0", TRigFault::RelaySilent, 0.0},
        {"mfc2-silent@90", TRigFault::Mfc2Silent, 90.0},
        {"gas-b-empty@12.5", TRigFault::GasBEmpty, 12.5},
        {"bubbler-open-circuit@3600", TRigFault::BubblerOpenCircuit, 3600.0},
        {"mfc3-silent@5", std::nullopt, 0},
        {"relay-silent", std::nullopt, 0},
        {"relay-silent@", std::nullopt, 0},
        {"relay-silent@-1", std::nullopt, 0},
        {"relay-silent@5s", std::nullopt, 0},
        {"relay-silent@5,5", std::nullopt, 0},
        {"relay-silent@1e3", std::nullopt, 0},
        {"relay-silent@nan", std::nullopt, 0},
        {"Relay-Silent@5", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ParseScheduledFault(c.text);
        ASSERT_EQ(parsed.has_value(), c.fault.has_value());
        if (parsed) {
            EXPECT_EQ(parsed->Fault, *c.fault);
            EXPECT_EQ(parsed->Seconds, c.seconds);
        }
    }
}

TEST(SimulatedRig, AScheduledFaultStartsAtTheFirstExchangeAfterItsTime)
{
    FakeClock clock;
    SimulatedRig rig(clock);
    RegisteredSerialLines lines;
    rig.registerOn(lines);
    rig.scheduleFault(TRigFault::GasBEmpty, 10.0);
    // Controller 2 is set to 3 g/min (a write of register 6).
    auto exchange = [&] {
        std::unique_ptr<SerialLine> line = lines.makeLine(SimulatedRig::MfcPortName);
        ASSERT_TRUE(line->open() && line->configure(9600, 0, 2));
        std::vector<std::uint8_t> request = Hex("02 10 00 06 00 02 04 40 40 00 00");
        AppendRtuCrc(request);
        ASSERT_TRUE(line->write(request.data(), request.size()));
        std::vector<std::uint8_t> reply;
        ASSERT_TRUE(line->read(reply, 8));
        EXPECT_EQ(reply.size(), 8u);
    };
    auto grams = [&] { return rig.mfc.totalizerKg(2, clock.now()) * 1000.0; };

    exchange();
    clock.advanceMs(11000);
    const double due = grams();
    EXPECT_NEAR(due, 3.0 * 11.0 / 60.0, 0.03) << "no exchange yet: the gas still flows";
    exchange();
    clock.advanceMs(5000);
    EXPECT_LT(grams() - due, 0.03) << "from the exchange on nothing flows";
    EXPECT_EQ(rig.mfc.setPoint(2), 3.0f) << "the set-point is still taken";
}
