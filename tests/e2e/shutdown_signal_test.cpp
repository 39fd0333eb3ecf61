// The program ended by a signal in the middle of a dilution: the rig is left
// closed and at zero flow. Each child runs the window on pseudo-terminals.
#include "pty_host.h"
#include "rig_fixture.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>

namespace {

// One child with its own relay board and controllers.
struct Child {
    RelayBoardModel relay;
    MfcBusModel mfc;
    PtyDeviceHost relayHost;
    PtyDeviceHost mfcHost;
    QProcess process;

    explicit Child(Clock& clock)
        : relayHost(relay, clock)
        , mfcHost(mfc, clock)
    {
    }

    // The valves as the board has them, and both controllers' set-points as
    // they have them and as they last received them.
    bool RigIs(std::uint8_t pattern, bool flowing)
    {
        bool valves = false, flows = false;
        relayHost.withModel([&](DeviceModel&) {
            valves = relay.pattern() == pattern && !relay.patterns().empty() && relay.patterns().back().Pattern == pattern;
        });
        mfcHost.withModel([&](DeviceModel&) {
            float last[3] = {-1.0f, -1.0f, -1.0f};
            for (const SetPointRecord& r : mfc.setPoints())
                last[r.Address] = r.Value;
            flows = flowing ? mfc.setPoint(2) > 0.0f
                            : mfc.setPoint(1) == 0.0f && mfc.setPoint(2) == 0.0f && last[1] == 0.0f && last[2] == 0.0f;
        });
        return valves && flows;
    }
};

} // namespace

TEST(ShutdownSignal, SigtermSigintAndSighupLeaveTheRigClosedAndAtZero)
{
    RealClock clock;
    const int endings[] = {SIGTERM, SIGINT, SIGHUP};
    std::vector<std::unique_ptr<Child>> children;
    for (int number : endings) {
        children.push_back(std::make_unique<Child>(clock));
        Child& c = *children.back();
        ASSERT_TRUE(c.relayHost.isRunning() && c.mfcHost.isRunning());
        c.process.start(QStringLiteral(DILUTRA_SHUTDOWN_CHILD),
                        {QString::fromStdString(c.relayHost.portPath()), QString::fromStdString(c.mfcHost.portPath())});
        ASSERT_TRUE(c.process.waitForStarted()) << number;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(strsignal(endings[i]));
        Child& c = *children[i];
        ASSERT_TRUE(QTest::qWaitFor([&] { return c.process.readAllStandardOutput().contains("ready"); }, 20000))
            << c.process.readAllStandardError().toStdString();
        EXPECT_TRUE(c.RigIs(Pattern({0, 0, 0, 1, 1, 0}), true)) << "the dilution runs: dry path open, gas B flowing";
        ::kill(static_cast<pid_t>(c.process.processId()), endings[i]);
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(strsignal(endings[i]));
        Child& c = *children[i];
        ASSERT_TRUE(c.process.waitForFinished(10000));
        EXPECT_EQ(c.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(c.process.exitCode(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.RigIs(0, false); }, 2000)) << "every valve closed, both flows zero";
    }
}
