// The operating system's serial path, against a device behind a
// pseudo-terminal. Real clock: keep these few and short.
#include "clock.h"
#include "hex_bytes.h"
#include "pty_host.h"
#include "scripted_device.h"
#include "serial_port.h"
#include "system_serial_lines.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

struct PtyLine {
    RealClock clock;
    ScriptedDevice device;
    PtyDeviceHost host{device, clock};
    SystemSerialLines lines;
    TSerialPort serial{lines, clock};

    PtyLine()
    {
        serial.Port = host.portPath();
        serial.BaudRate = 9600;
        serial.StopBits = 2;
        serial.WindowsReadLoopTimeoutMS = 10;
        serial.ReadoutTimeoutMS = 50;
    }

    TSerialResponse Send(const std::string& hex, bool wait)
    {
        const auto bytes = Hex(hex);
        TSerialResponse r;
        serial.SendData(bytes.data(), static_cast<std::uint32_t>(bytes.size()), wait, r);
        return r;
    }
};

}  // namespace

TEST(PtyLine, TransactionsRunOverTheSystemPortWithoutStaleBytes)
{
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    p.device.Replies = {{0.0, Hex("01 06 41 39 00 03 0D FA")}, {0.0, Hex("01 03 02 00 0A 38 43")}};

    // The acknowledgement of a write arrives after the port is closed and
    // waits in the port's queue ...
    EXPECT_EQ(p.Send("01 06 41 39 00 03 0D FA", false).Status, "");
    ASSERT_TRUE(p.host.waitForBytesReceived(8, 2000));
    // ... and must not be read as the reply to the next request.
    const TSerialResponse r = p.Send("01 03 41 39 00 01 00 00", true);
    EXPECT_EQ(r.Status, "");
    EXPECT_EQ(ToHex({r.rArray.begin(), r.rArray.begin() + r.ResponseLength}), "01 03 02 00 0A 38 43");
    EXPECT_EQ(r.ValueOfFirstWord, 0x000A);
    p.host.withModel([](DeviceModel& model) {
        const auto& received = static_cast<ScriptedDevice&>(model).Received;
        std::vector<std::uint8_t> all;
        for (const auto& piece : received)
            all.insert(all.end(), piece.begin(), piece.end());
        EXPECT_EQ(ToHex(all), "01 06 41 39 00 03 0D FA 01 03 41 39 00 01 00 00");
    });
}

TEST(PtyLine, AWriteOnlyFrameLeavesThePortBeforeItClosesAndItsSettingsGoBack)
{
    // The port was left at 38400 bit/s; closing puts that back at once. The
    // host reads the settings when the frame's last byte arrives (15 ms
    // after its first at 9600 bit/s with two stop bits, less its 5 ms of
    // slack).
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    const std::string frame = "01 10 00 06 00 02 04 3F 80 00 00 7E 79";
    EXPECT_EQ(p.Send(frame, false).Status, "");
    ASSERT_TRUE(p.host.waitForBytesReceived(13, 2000));
    EXPECT_EQ(p.host.lastArrivalFraming(), (SerialFraming{9600, 0, 2}));
    EXPECT_EQ(p.host.garbledPieces(), 0u);
    p.host.withModel([&](DeviceModel& model) {
        const auto& received = static_cast<ScriptedDevice&>(model).Received;
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(ToHex(received[0]), frame);
    });
}

TEST(PtyLine, ASilentDeviceTimesOutAndMissingPortsOrRefusedSettingsFailToOpen)
{
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    const TSerialResponse silent = p.Send("01 03 00 04 00 02 85 CA", true);
    EXPECT_EQ(silent.Status, StatusTimeout);
    EXPECT_EQ(silent.ResponseLength, 0);

    p.serial.Port = "/dev/nonexistent-serial-port";
    EXPECT_EQ(p.Send("01", true).Status, "No such port: /dev/nonexistent-serial-port");

    p.serial.Port = p.host.portPath();
    p.serial.Parity = 5;  // no such parity
    EXPECT_EQ(p.Send("01", true).Status, StatusPortInUse);
}

TEST(PtyLine, AnOpenRefusedForLackOfPermissionSaysHowToFixIt)
{
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    const std::string path = p.host.portPath();
    struct Case {
        mode_t mode;
        std::string status;
    };
    const Case cases[] = {
        {0666, ""},
        {0000, "Permission denied on " + path + ": add your user to the group dialout and log in again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
        EXPECT_EQ(RunUnprivileged([&] { return p.Send("01", false).Status; }), c.status);
    }
}

TEST(PtyLine, APortHeldByAnotherProgramNamesItsHolder)
{
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    // This test program holds the port, as another would: it leaves its
    // lock file, naming it, beside the port.
    const auto holder = p.lines.makeLine(p.host.portPath());
    ASSERT_TRUE(holder->open());
    EXPECT_EQ(p.Send("01", false).Status,
              std::string(StatusPortInUse) + ": " + p.host.portPath() + " is held by test_serial (process "
                  + std::to_string(getpid()) + ")");
    holder->close();
    EXPECT_EQ(p.Send("01", false).Status, "");
}

TEST(PtyLine, AStableNameIsListedWithItsPortAndOpensIt)
{
    PtyLine p;
    ASSERT_TRUE(p.host.isRunning());
    QTemporaryDir byId;
    const QString name = byId.filePath("usb-FTDI_FT232R_A50285BI-if00-port0");
    ASSERT_TRUE(QFile::link(QString::fromStdString(p.host.portPath()), name));
    SystemSerialLines lines(byId.path().toStdString());
    const std::string listed = name.toStdString() + " (" + p.host.portPath() + ")";
    EXPECT_EQ(lines.portNames().back(), listed);
    EXPECT_TRUE(lines.makeLine(listed)->open());
}
