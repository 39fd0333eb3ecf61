// The controller services over the operating system's serial path, against
// the simulated controllers behind a pseudo-terminal. Real clock.
#include "clock.h"
#include "mfc_bus_model.h"
#include "mfc_services.h"
#include "modbus_frame.h"
#include "pty_host.h"
#include "system_serial_lines.h"
#include "voegtlin_port.h"

#include <gtest/gtest.h>

TEST(PtyControllers, ServicesRunOverTheSystemPort)
{
    RealClock clock;
    MfcBusModel model;
    PtyDeviceHost host(model, clock);
    ASSERT_TRUE(host.isRunning());
    SystemSerialLines lines;
    const MfcBus bus{lines, clock, host.portPath()};

    std::vector<std::string> memo;
    EXPECT_TRUE(ValidateMFC(bus, [&](const std::string& line) { memo.push_back(line); }));
    EXPECT_EQ(memo, (std::vector<std::string>{"", "MFCs are OK"}));

    EXPECT_EQ(SetMFCFlow(bus, 2, 1.5).Status, "");
    TVoegtlinPort port(lines, clock);
    port.UseControllerLine(host.portPath());
    EXPECT_EQ(port.ReadF32(2, 6).AsFloat, 1.5f);  // behind the write's acknowledgement in the queue

    host.withModel([](DeviceModel& m) {
        auto& mfc = static_cast<MfcBusModel&>(m);
        ASSERT_EQ(mfc.setPoints().size(), 1u);
        EXPECT_EQ(mfc.setPoints()[0].Address, 2);
        EXPECT_EQ(mfc.setPoints()[0].Value, 1.5f);
        mfc.faults(1).BadCrc = true;
    });
    EXPECT_EQ(port.ReadF32(1, 4).Status, StatusChecksumError);
}
