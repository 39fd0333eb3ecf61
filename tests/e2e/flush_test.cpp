#include "rig_fixture.h"

#include <QCloseEvent>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <vector>

namespace {

// What the window showed and the equipment did at one of the flush's holds.
struct Hold {
    unsigned Ms;
    QString Status;
    bool TimerActive;
    std::uint8_t Valves;
    float SetPointA, SetPointB;
    TMixerState State;
};

// Records the long waits (the flush's holds) as they begin.
void RecordHolds(RigFixture& f, std::vector<Hold>& holds)
{
    f.clock.OnSleep = [&f, &holds](unsigned ms) {
        if (ms >= 1000)
            holds.push_back({ms, f.form.LabelStatus->text(), f.form.Timer1->isActive(), f.relay.pattern(),
                             f.mfc.setPoint(1), f.mfc.setPoint(2), f.s.MixerState});
    };
}

// A dilution of 1 % oxygen (gas A at a constant set-point) running for two seconds.
void Dilute(RigFixture& f)
{
    f.Request(10000, 0);
    f.form.ButtonDilution->click();
    ASSERT_EQ(f.s.MixingMethod, "A (constant) in B");
    f.RunFor(2);
    ASSERT_GT(f.mfc.setPoint(1), 0.0f);
}

}  // namespace

TEST(Flush, RunsItsThreeStepsWithTheTimerOffAndEndsInStandby)
{
    RigFixture f;
    Dilute(f);
    const float setPointA = f.mfc.setPoint(1);
    const int rows = f.Rows();
    f.mfc.clearRecords();
    f.relay.clearRecords();
    std::vector<Hold> holds;
    RecordHolds(f, holds);

    f.form.ButtonFlush->click();
    EXPECT_EQ(f.form.LabelStatus->text(), "Flushing");
    const double start = f.clock.now();
    f.Tick();
    const double tookS = (f.clock.now() - start) * 86400.0;

    const std::vector<Hold> expected = {
        {2000, "Flush bypass line with gas B (2 sec)", false, Pattern({0, 0, 1, 0, 0, 0}), setPointA, 6.0f,
         TMixerState::Flushing},
        {5000, "Flush bubbler and chambers (5 sec)", false, Pattern({1, 1, 0, 0, 0, 1}), setPointA, 6.0f,
         TMixerState::Flushing},
        {2000, "Flush chambers with dry (2 sec)", false, Pattern({0, 0, 0, 1, 0, 1}), setPointA, 6.0f,
         TMixerState::Flushing},
    };
    ASSERT_EQ(holds.size(), expected.size());
    for (std::size_t i = 0; i < holds.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(holds[i].Ms, expected[i].Ms);
        EXPECT_EQ(holds[i].Status, expected[i].Status);
        EXPECT_FALSE(holds[i].TimerActive);
        EXPECT_EQ(holds[i].Valves, expected[i].Valves);
        EXPECT_EQ(holds[i].SetPointA, expected[i].SetPointA) << "the flush leaves gas A alone";
        EXPECT_EQ(holds[i].SetPointB, expected[i].SetPointB);
    }
    EXPECT_GT(tookS, 9.0);
    EXPECT_LT(tookS, 9.5);

    // One row for the change to Flushing, none during the flush.
    ASSERT_EQ(f.Rows(), rows + 1);
    EXPECT_EQ(f.Cell(rows, ModeColumn), "Flushing");
    EXPECT_EQ(f.Cell(rows, MethodColumn), "");
    // The end: gas B off, Standby, all valves closed, the timer running.
    ASSERT_EQ(f.mfc.setPoints().size(), 2u);
    EXPECT_EQ(f.mfc.setPoints()[1].Value, 0.0f);
    EXPECT_EQ(f.relay.patterns().size(), 4u);
    EXPECT_EQ(f.relay.pattern(), 0);
    EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
    EXPECT_TRUE(f.form.Timer1->isActive());
    EXPECT_EQ(f.mfc.setPoint(1), setPointA);

    // The next tick logs Standby and zeroes gas A.
    f.clock.Fake.advanceMs(250);
    f.Tick();
    ASSERT_EQ(f.Rows(), rows + 2);
    EXPECT_EQ(f.Cell(rows + 1, ModeColumn), "Standby");
    EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(Flush, ClicksDuringTheFlushRunButTheFlushStillEndsInStandby)
{
    RigFixture f;
    std::vector<Hold> holds;
    RecordHolds(f, holds);
    const auto record = f.clock.OnSleep;
    // A Bypass click waits for the pump after the first hold, a Dilution
    // click for the pump after the second.
    f.clock.OnSleep = [&](unsigned ms) {
        record(ms);
        if (ms == 2000 && holds.size() == 1)
            QMetaObject::invokeMethod(f.form.ButtonBypass, &QPushButton::click, Qt::QueuedConnection);
        if (ms == 5000)
            QMetaObject::invokeMethod(f.form.ButtonDilution, &QPushButton::click, Qt::QueuedConnection);
    };

    f.form.ButtonFlush->click();
    const double start = f.clock.now();
    f.Tick();
    const double end = f.clock.now();

    ASSERT_EQ(holds.size(), 3u);
    EXPECT_EQ(holds[1].Status, "Bypass");
    EXPECT_EQ(holds[1].State, TMixerState::Bypass);
    EXPECT_EQ(holds[1].Valves, Pattern({1, 1, 0, 0, 0, 1})) << "the flush goes on with its own pattern";
    EXPECT_EQ(holds[2].Status, "Dilution");
    EXPECT_EQ(holds[2].State, TMixerState::Dilution);
    EXPECT_FALSE(holds[2].TimerActive);

    // The Dilution click planned, reset the totalizers and started the clock.
    EXPECT_EQ(f.s.MixingMethod, "A (pulse) in B");
    EXPECT_FALSE(f.form.Memo4->toPlainText().isEmpty());
    EXPECT_GT(f.s.TotalizerA.StartTime, start);
    EXPECT_GT(f.s.DilutionStartTime, f.s.TotalizerA.StartTime);
    EXPECT_LT(f.s.DilutionStartTime, end);

    EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
    EXPECT_EQ(f.relay.pattern(), 0);
    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
    EXPECT_TRUE(f.form.Timer1->isActive());
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(Flush, ClosingTheWindowDuringAFlushLeavesEverythingClosedWhateverTheStep)
{
    // The close is handled at the flush's next message pump: the first one,
    // or the pump after the set-point of gas B (step 1), after the bypass
    // hold, after the bubbler hold, or the last one in Standby.
    struct Case {
        const char* Step;
        unsigned QueueAtMs;  // 0: queued before the tick
        int Occurrence;
    };
    const Case cases[] = {
        {"first pump", 0, 1},           {"bypass line", 10, 1},      {"bubbler and chambers", 2000, 1},
        {"chambers with dry", 5000, 1}, {"end in Standby", 2000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Step);
        RigFixture f;
        Dilute(f);
        f.mfc.clearRecords();
        f.relay.clearRecords();
        f.form.ButtonFlush->click();

        double closedAt = -1.0;
        struct CloseWatch : QObject {
            std::function<void()> Seen;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Close)
                    Seen();
                return false;
            }
        } watch;
        watch.Seen = [&] { closedAt = f.clock.now(); };
        f.form.installEventFilter(&watch);

        auto queueClose = [&] { QMetaObject::invokeMethod(&f.form, &QWidget::close, Qt::QueuedConnection); };
        int seen = 0;
        f.clock.OnSleep = [&](unsigned ms) {
            if (ms == c.QueueAtMs && ++seen == c.Occurrence)
                queueClose();
        };
        if (c.QueueAtMs == 0)
            queueClose();
        f.Tick();
        f.clock.OnSleep = nullptr;

        ASSERT_GE(closedAt, 0.0) << "the close was handled inside the flush";
        EXPECT_EQ(f.relay.pattern(), 0);
        EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
        EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
        for (const ValvePatternRecord& p : f.relay.patterns()) {
            if (p.At > closedAt) {
                EXPECT_EQ(p.Pattern, 0) << "no valve opens after the close";
            }
        }
        for (const SetPointRecord& s : f.mfc.setPoints()) {
            if (s.At > closedAt) {
                EXPECT_EQ(s.Value, 0.0f) << "no gas after the close";
            }
        }
        EXPECT_LT((f.clock.now() - closedAt) * 86400.0, 0.5) << "the remaining holds are skipped";
        EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
        EXPECT_FALSE(f.form.Timer1->isActive()) << "no tick after the window closed";
        EXPECT_TRUE(f.dialogs.Errors.isEmpty());
        f.form.removeEventFilter(&watch);
    }
}
