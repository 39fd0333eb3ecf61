#include "clock.h"
#include "mixer_core.h"
#include "mixer_host.h"
#include "mixer_service.h"
#include "run_until.h"
#include "serial_lines.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Keeps what it was told and on which thread.
class RecordingHost final : public TMixerHost {
public:
    void ShowStatus(const QString& text) override { Note("status " + text); }
    void ShowPlanReport(const QString&) override {}
    void AddPlanLine(const QString&) override {}
    void AddDevFeedbackLine(const QString& line) override { Note("line " + line); }
    void ShowMessage(const QString& text) override { Note("message " + text); }
    void ShowError(const QString& text) override { Note("error " + text); }
    void ShowAlarm(const QString&) override {}
    void ClearAlarm() override {}
    void ShowpH2O(double) override {}
    void ShowMixture(const TMixtureFields&) override {}
    void ShowReadout(const TReadout&) override { ++Readouts; }
    void StoreLogRow(const TLogRowValues&, const TReadout&) override {}
    void StoreLogMarker() override {}
    void AttachPlanReport(const QString&) override {}

    void Note(const QString& what)
    {
        Said << what;
        OffThread |= QThread::currentThread() != qApp->thread();
    }
    QStringList Said;
    int Readouts = 0;
    bool OffThread = false;  // a report reached the host on another thread
};

}  // namespace

TEST(MixerService, OnAWorkerCommandsRunInOrderOffTheCallersThreadAndReportBackOnIt)
{
    RealClock clock;
    RegisteredSerialLines lines;
    RecordingHost host;
    TMixerService service(lines, clock, host, TRigThread::Worker);
    std::atomic<bool> onCallerThread{false};
    bool done = false;
    QStringList saidAtDone;
    for (int i = 1; i <= 3; ++i)
        service.Post([i, &onCallerThread](TMixerCore& c) {
            onCallerThread = onCallerThread || QThread::currentThread() == qApp->thread();
            c.Host.AddDevFeedbackLine(QString::number(i));
        });
    service.Post([](TMixerCore&) { throw std::runtime_error("refused"); });
    service.Post([](TMixerCore& c) { c.Host.ShowStatus("last"); },
                 [&] {
                     done = true;
                     saidAtDone = host.Said;
                 });
    EXPECT_TRUE(host.Said.isEmpty()) << "reports arrive through the caller's event loop";
    RunUntil([&] { return done; });

    ASSERT_TRUE(done);
    EXPECT_FALSE(onCallerThread);
    EXPECT_FALSE(host.OffThread);
    EXPECT_EQ(saidAtDone, (QStringList{"line 1", "line 2", "line 3", "error refused", "status last"}))
        << "in order, an error reported, `done` after the command's reports";
    EXPECT_THROW(service.Core(), std::logic_error) << "a worker's core is reached only by commands";

    // The worker ticks on its own and reports the readout each time.
    service.Start();
    RunUntil([&] { return host.Readouts >= 3; });
    EXPECT_GE(host.Readouts, 3);

    // Stop runs its last command and ends the worker; later commands are
    // dropped.
    bool lastRan = false;
    EXPECT_TRUE(service.Stop([&](TMixerCore&) { lastRan = true; }, 5000));
    EXPECT_TRUE(lastRan);
    bool late = false;
    service.Post([&](TMixerCore&) { late = true; });
    RunUntil([] { return false; }, 100);
    EXPECT_FALSE(late);
}

TEST(MixerService, OnTheCallersThreadCommandsRunAtOnceAndErrorsPassToTheCaller)
{
    FakeClock clock;
    RegisteredSerialLines lines;
    RecordingHost host;
    TMixerService service(lines, clock, host, TRigThread::Caller);
    bool done = false;
    service.Post([](TMixerCore& c) { c.Host.ShowStatus("now"); }, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(host.Said, QStringList{"status now"});
    EXPECT_THROW(service.Post([](TMixerCore&) { throw std::runtime_error("refused"); }), std::runtime_error);
    service.Tick();
    EXPECT_EQ(host.Readouts, 1);
}
