#include "rig_fixture.h"
#include "time_units.h"

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

// The flush's waits, slice by slice.
constexpr unsigned SliceMs = 50;

// Records the flush's holds: its waits of one slice each, joined while the
// status text stays the same. A hold keeps what was shown and done at its
// first slice.
void RecordHolds(RigFixture& f, std::vector<Hold>& holds)
{
    f.clock.OnSleep = [&f, &holds](unsigned ms) {
        if (ms != SliceMs)
            return;
        const QString status = f.form.LabelStatus->text();
        if (!holds.empty() && holds.back().Status == status)
            holds.back().Ms += ms;
        else
            holds.push_back({ms, status, f.form.Timer1->isActive(), f.relay.pattern(), f.mfc.setPoint(1),
                             f.mfc.setPoint(2), f.s.MixerState});
    };
}

// A dilution of 1 % oxygen (gas A at a constant set-point) running for two seconds.
void Dilute(RigFixture& f)
{
    f.Request(10000, 0);
    f.form.ButtonDilution->click();
    ASSERT_EQ(MixingMethodName(f.s.MixingMethod), "A (constant) in B");
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
    f.clock.Fake.clearSleeps();
    const double start = f.clock.now();
    f.Tick();
    for (unsigned ms : f.clock.Fake.sleeps())
        EXPECT_LE(ms, SliceMs) << "every wait is a slice at most";
    const double tookS = (f.clock.now() - start) * SecondsPerDay;

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
    // A Bypass click waits for the pump after the first slice of the
    // bubbler step, a Dilution click for the one after the first slice of
    // the dry step.
    f.clock.OnSleep = [&](unsigned ms) {
        record(ms);
        if (ms == SliceMs && holds.back().Ms == SliceMs) {
            if (holds.back().Status == "Flush bubbler and chambers (5 sec)")
                QMetaObject::invokeMethod(f.form.ButtonBypass, &QPushButton::click, Qt::QueuedConnection);
            if (holds.back().Status == "Flush chambers with dry (2 sec)")
                QMetaObject::invokeMethod(f.form.ButtonDilution, &QPushButton::click, Qt::QueuedConnection);
        }
    };

    f.form.ButtonFlush->click();
    const double start = f.clock.now();
    f.Tick();
    const double end = f.clock.now();

    ASSERT_EQ(holds.size(), 5u);
    EXPECT_EQ(holds[2].Status, "Bypass");
    EXPECT_EQ(holds[2].State, TMixerState::Bypass);
    EXPECT_EQ(holds[2].Valves, Pattern({1, 1, 0, 0, 0, 1})) << "the flush goes on with its own pattern";
    EXPECT_EQ(holds[1].Ms + holds[2].Ms, 5000u);
    EXPECT_EQ(holds[4].Status, "Dilution");
    EXPECT_EQ(holds[4].State, TMixerState::Dilution);
    EXPECT_FALSE(holds[4].TimerActive);
    EXPECT_GT((end - start) * SecondsPerDay, 9.0);

    // The Dilution click planned, reset the totalizers and started the clock.
    EXPECT_EQ(MixingMethodName(f.s.MixingMethod), "A (pulse) in B");
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

TEST(Flush, StopOrClosingTheWindowEndsTheFlushAtItsNextPumpWithEverythingClosed)
{
    // The Stop click or the close is queued at a moment of the flush and
    // handled at its next message pump: the first one, the one after the
    // set-point of gas B, one in each hold, or the last one in Standby.
    struct Moment {
        const char* Name;
        unsigned Ms;         // at the wait of this length (0: before the tick) ...
        const char* Status;  // ... while this status is shown
    };
    const Moment moments[] = {
        {"first pump", 0, "Flushing"},
        {"bypass line", 10, "Flushing"},
        {"bypass line hold", SliceMs, "Flush bypass line with gas B (2 sec)"},
        {"bubbler and chambers hold", SliceMs, "Flush bubbler and chambers (5 sec)"},
        {"chambers with dry hold", SliceMs, "Flush chambers with dry (2 sec)"},
        {"end in Standby", 20, "Flush chambers with dry (2 sec)"},
    };
    for (bool stop : {true, false}) {
        for (const Moment& m : moments) {
            SCOPED_TRACE(std::string(stop ? "Stop, " : "close, ") + m.Name);
            RigFixture f;
            Dilute(f);
            f.mfc.clearRecords();
            f.relay.clearRecords();
            f.clock.Fake.clearSleeps();
            f.form.ButtonFlush->click();

            // Queued at the moment, handled when a pump delivers it.
            double handledAt = -1.0;
            bool queued = false;
            auto queue = [&](unsigned ms) {
                if (queued || ms != m.Ms || f.form.LabelStatus->text() != m.Status)
                    return;
                queued = true;
                QMetaObject::invokeMethod(
                    &f.form,
                    [&] {
                        handledAt = f.clock.now();
                        stop ? f.form.ButtonStop->click() : (void)f.form.close();
                    },
                    Qt::QueuedConnection);
            };
            f.clock.OnSleep = queue;
            queue(0);
            f.Tick();
            f.clock.OnSleep = nullptr;

            ASSERT_GE(handledAt, 0.0) << "handled inside the flush";
            // The holds last seconds; the safing's frames only their wire time.
            EXPECT_LT((f.clock.now() - handledAt) * SecondsPerDay, 0.5) << "the remaining holds are skipped";
            EXPECT_EQ(f.relay.pattern(), 0);
            EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
            for (const ValvePatternRecord& p : f.relay.patterns())
                EXPECT_TRUE(p.At < handledAt || p.Pattern == 0) << "no valve opens after it";
            for (const SetPointRecord& sp : f.mfc.setPoints())
                EXPECT_TRUE(sp.At < handledAt || sp.Value == 0.0f) << "no gas after it";
            for (unsigned ms : f.clock.Fake.sleeps())
                EXPECT_LE(ms, SliceMs) << "the flush waits in slices";
            EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
            EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
            EXPECT_EQ(f.form.Timer1->isActive(), stop) << "after a close no tick follows";
            EXPECT_TRUE(stop || f.mfc.setPoint(1) == 0.0f) << "closing zeroes gas A too";
            EXPECT_TRUE(f.dialogs.Errors.isEmpty());
        }
    }
}
