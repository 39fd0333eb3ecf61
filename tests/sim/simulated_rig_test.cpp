#include "clock.h"
#include "hex_bytes.h"
#include "rtu_frames.h"
#include "serial_lines.h"
#include "simulated_rig.h"

#include <gtest/gtest.h>

namespace {

// A machine with two serial ports of its own.
class TwoSystemPorts final : public SerialLines {
protected:
    std::vector<std::string> systemPortNames() const override { return {"/dev/ttyS0", "/dev/ttyUSB0"}; }
    std::unique_ptr<SerialLine> makeSystemLine(const std::string&) const override { return nullptr; }
};

}  // namespace

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
    EXPECT_EQ(ParseScheduledFault("relay-silent@0")->Fault, TRigFault::RelaySilent);
    const auto late = ParseScheduledFault("gas-b-empty@12.5");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->Fault, TRigFault::GasBEmpty);
    EXPECT_EQ(late->Seconds, 12.5);
    const auto flaky = ParseScheduledFault("mfc-flaky@60:1.5");
    ASSERT_TRUE(flaky);
    EXPECT_TRUE(flaky->Fault == TRigFault::MfcFlaky && flaky->Seconds == 60.0 && flaky->Argument == 1.5);
    EXPECT_EQ(ParseScheduledFault("port-unplug@5:3")->Argument, 3.0);
    for (const char* bad :
         {"mfc3-silent@5", "relay-silent", "relay-silent@", "relay-silent@-1", "relay-silent@5s", "relay-silent@5,5",
          "relay-silent@1e3", "relay-silent@nan", "Relay-Silent@5", "relay-silent@5:1", "mfc-stale@5:1", "mfc-flaky@5",
          "mfc-flaky@5:", "mfc-flaky@5:0", "mfc-flaky@5:101", "port-unplug@5:-1", "port-unplug@:3"})
        EXPECT_FALSE(ParseScheduledFault(bad)) << bad;
}
