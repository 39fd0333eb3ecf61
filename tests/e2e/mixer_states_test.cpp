#include "rig_fixture.h"

#include <gtest/gtest.h>

#include <QTextDocument>

TEST(MixerStates, StopAndBypassAreLoggedOnceThenHeldAtEveryTick)
{
    struct Case {
        QPushButton* TForm1::*Button;
        const char* Status;
        TMixerState State;
        std::uint8_t Valves;
        float SetPointB;  // g/min; the simulated argon table's full scale is 6
    };
    const Case cases[] = {
        {&TForm1::ButtonStop, "Standby", TMixerState::Standby, Pattern({0, 0, 0, 0, 0, 0}), 0.0f},
        {&TForm1::ButtonBypass, "Bypass", TMixerState::Bypass, Pattern({0, 0, 1, 0, 0, 0}), 6.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Status);
        RigFixture f;
        (f.form.*c.Button)->click();
        EXPECT_EQ(f.form.LabelStatus->text(), c.Status);
        EXPECT_EQ(f.s.MixerState, c.State);
        EXPECT_TRUE(f.relay.commands().empty() && f.mfc.frames().empty()) << "a click only records the wish";

        f.RunFor(0.9);                // four ticks
        (f.form.*c.Button)->click();  // the button of the current state
        f.RunFor(0.5);

        ASSERT_EQ(f.Rows(), 1) << "one row for the change, none for pressing the same button again";
        EXPECT_EQ(f.Cell(0, ModeColumn), c.Status);
        EXPECT_EQ(f.Cell(0, MethodColumn), "");
        ASSERT_EQ(f.relay.patterns().size(), 6u);
        EXPECT_LT(f.s.DataStoredLast, f.relay.patterns().front().At) << "the row comes before the first command";
        ASSERT_EQ(f.mfc.setPoints().size(), 12u);
        for (std::size_t tick = 0; tick < 6; ++tick) {
            EXPECT_EQ(f.relay.patterns()[tick].Pattern, c.Valves);
            const SetPointRecord& a = f.mfc.setPoints()[2 * tick];
            const SetPointRecord& b = f.mfc.setPoints()[2 * tick + 1];
            EXPECT_EQ(a.Address, 1);
            EXPECT_EQ(a.Value, 0.0f);
            EXPECT_EQ(b.Address, 2);
            EXPECT_EQ(b.Value, c.SetPointB);
            EXPECT_LT(f.relay.patterns()[tick].At, a.At) << "valves first, then gas A, then gas B";
        }
        EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    }
}

TEST(MixerStates, UnsupportedMethodsEndInStandbyWithThreeReportLines)
{
    // No method at all: a dilution that was never planned.
    {
        const char* name = "";
        RigFixture f;
        f.form.ButtonDilution->click();
        const QString report = f.form.Memo4->toPlainText();
        ASSERT_FALSE(report.isEmpty());
        f.s.MixingMethod = TMixingMethod::None;
        f.mfc.clearRecords();

        f.Tick();
        EXPECT_EQ(f.form.Memo4->toPlainText(),
                  report + "\nMixing method " + name + "\nis not supported yet. Please define new mixture.\n");
        EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
        EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
        EXPECT_TRUE(f.relay.patterns().empty() && f.mfc.frames().empty()) << "nothing delivered";

        f.clock.Fake.advanceMs(250);
        f.Tick();
        // The first row takes the place of the planner's marker.
        ASSERT_EQ(f.Rows(), 2);
        EXPECT_EQ(f.Cell(0, ModeColumn), "Dilution");
        EXPECT_EQ(f.Cell(0, MethodColumn), name);
        EXPECT_EQ(f.Cell(1, ModeColumn), "Standby");
        EXPECT_EQ(f.relay.pattern(), 0);
        EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    }
}

TEST(MixerStates, ARowThatCannotBeStoredStillLetsStopCloseEverything)
{
    RigFixture f;
    f.Request(10000, 0);
    f.form.ButtonDilution->click();
    f.RunFor(2);
    ASSERT_GT(f.mfc.setPoint(1), 0.0f);
    ASSERT_EQ(f.relay.pattern(), Pattern({0, 0, 0, 1, 1, 0}));
    const int rows = f.Rows();

    f.s.B.Name = "Xenon";  // the row's moles cannot be worked out
    f.form.ButtonStop->click();
    f.Tick();
    ASSERT_EQ(f.dialogs.Errors.size(), 1);
    EXPECT_EQ(f.Rows(), rows);
    EXPECT_EQ(f.relay.pattern(), 0);
    EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);

    f.clock.Fake.advanceMs(250);
    f.Tick();
    EXPECT_EQ(f.dialogs.Errors.size(), 1) << "the change is reported once, not at every tick";
}

TEST(MixerStates, TheDebugMemoKeepsTheMostRecentFiftyThousandLines)
{
    RigFixture f;
    for (int i = 0; i < 49998; ++i)
        TForm1::AddMemoLine(f.form.MemoDevFeedback, QString::number(i));
    f.form.ButtonDilution->click();  // 150 ppm: gas A in pulses, four lines a tick
    ASSERT_EQ(MixingMethodName(f.s.MixingMethod), "A (pulse) in B");
    f.Tick();

    const QStringList lines = f.DevLines();
    ASSERT_EQ(lines.size(), 50001) << "50000 lines, each ending in a line break";
    EXPECT_EQ(lines.first(), "2");
    EXPECT_EQ(lines[49995], "49997");
    EXPECT_TRUE(lines[49996].startsWith("Elapsed time          :"));
    EXPECT_EQ(lines[49999], "Stop flow") << "the first pulse waits until half of one is due";

    // The other memos keep everything.
    EXPECT_EQ(f.form.MemoSetupFeedback->document()->maximumBlockCount(), 0);
    EXPECT_EQ(f.form.Memo4->document()->maximumBlockCount(), 0);
}

TEST(MixerStates, StandbyUnconfirmedForASecondRaisesTheAlarmAndTheCommandsGoOn)
{
    struct Case {
        const char* Name;
        void (*Break)(RigFixture&);
        const char *Cause, *Reason;  // how the cause begins and ends
    };
    const Case cases[] = {
        {"relay board silent", [](RigFixture& f) { f.relay.Faults.Silent = true; },
         "Relay board did not confirm the closed valves since ", ": no reply"},
        {"controller 2 refuses the zero set-point", [](RigFixture& f) { f.mfc.faults(2).ExceptionCode = 4; },
         "Flow controller 2 (gas B, Ar) did not confirm zero flow since ", ": exception 4 (Server Device Failure)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        RigFixture f;
        f.form.ButtonStop->click();
        f.RunFor(2);
        ASSERT_FALSE(f.form.Core().Mixer.Alarm());
        c.Break(f);
        f.RunFor(0.5);
        EXPECT_FALSE(f.form.Core().Mixer.Alarm()) << "not within the second";
        f.RunFor(1);
        ASSERT_TRUE(f.form.Core().Mixer.Alarm());
        const std::string cause = f.form.Core().Mixer.Alarm()->Cause;
        EXPECT_EQ(cause.rfind(c.Cause, 0), 0u) << cause;
        EXPECT_TRUE(cause.ends_with(c.Reason)) << cause;
        // The alarm waits; Standby's commands go out at every tick meanwhile.
        const std::size_t sent = f.relay.commands().size() + f.mfc.frames().size();
        f.RunFor(1);
        EXPECT_GE(f.relay.commands().size() + f.mfc.frames().size(), sent + 3 * 2) << "both set-points, every tick";
        EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    }
}
