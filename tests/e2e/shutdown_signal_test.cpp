// The program ended by a signal in the middle of a dilution: the rig is left
// closed and at zero flow. Each child runs the window on pseudo-terminals.
#include "pty_host.h"
#include "rig_fixture.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <list>

namespace {

// One child with its own relay board and controllers.
struct Child {
    RelayBoardModel relay;
    MfcBusModel mfc;
    PtyDeviceHost relayHost, mfcHost;
    QProcess process;

    explicit Child(Clock& clock)
        : relayHost(relay, clock)
        , mfcHost(mfc, clock)
    {
    }

    // The valves as the board has them and last switched them; gas B
    // flowing, or both controllers at zero and last set to zero.
    bool RigIs(std::uint8_t valves, bool flowing)
    {
        bool ok = true;
        relayHost.withModel([&](DeviceModel&) {
            ok = relay.pattern() == valves && !relay.patterns().empty() && relay.patterns().back().Pattern == valves;
        });
        mfcHost.withModel([&](DeviceModel&) {
            float last[3] = {-1, -1, -1};
            for (const SetPointRecord& r : mfc.setPoints())
                last[r.Address] = r.Value;
            ok = ok
                && (flowing ? mfc.setPoint(2) > 0
                            : mfc.setPoint(1) == 0 && mfc.setPoint(2) == 0 && !last[1] && !last[2]);
        });
        return ok;
    }
};

}  // namespace

TEST(ShutdownSignal, SigtermSigintAndSighupLeaveTheRigClosedAndAtZero)
{
    RealClock clock;
    const int endings[] = {SIGTERM, SIGINT, SIGHUP};
    std::list<Child> children;  // started together: their set-ups overlap
    for (int number : endings) {
        Child& c = children.emplace_back(clock);
        ASSERT_TRUE(c.relayHost.isRunning() && c.mfcHost.isRunning());
        c.process.start(DILUTRA_SHUTDOWN_CHILD,
                        {QString::fromStdString(c.relayHost.portPath()), QString::fromStdString(c.mfcHost.portPath())});
        ASSERT_TRUE(c.process.waitForStarted()) << number;
    }
    auto c = children.begin();
    for (int number : endings) {
        SCOPED_TRACE(strsignal(number));
        QByteArray out;  // "ready" may come in pieces
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                out += c->process.readAllStandardOutput();
                return out.contains("ready");
            },
            20000))
            << "exit code " << c->process.exitCode() << ", " << c->process.readAllStandardError().toStdString();
        // The devices' hosts read the child's frames on their own threads.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return c->RigIs(Pattern({0, 0, 0, 1, 1, 0}), true);
            },
            2000))
            << "the dilution runs";
        ::kill(static_cast<pid_t>(c->process.processId()), number);
        ASSERT_TRUE(c->process.waitForFinished(10000));
        EXPECT_EQ(c->process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(c->process.exitCode(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return c->RigIs(0, false); }, 2000)) << "all closed, both flows zero";
        ++c;
    }
}
