#include "rig_fixture.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A step of the flush as the equipment and the window saw it: the pattern
// the relay board took, when, what the status said then, and the
// set-points at that moment.
struct Step {
    std::uint8_t Valves;
    double At;  // day count
    QString Status;
    float SetPointA, SetPointB;
};

// Ticks for `seconds` as Timer1 would, keeping every pattern switch with the
// status shown after the tick that made it; `afterTick` runs after each.
std::vector<Step> RunAndWatch(RigFixture& f, double seconds, const std::function<void()>& afterTick = {})
{
    std::vector<Step> steps;
    std::size_t seen = f.relay.patterns().size();
    f.RunFor(seconds, [&] {
        const auto& patterns = f.relay.patterns();
        for (; seen < patterns.size(); ++seen)
            steps.push_back({patterns[seen].Pattern, patterns[seen].At, f.form.LabelStatus->text(), f.mfc.setPoint(1),
                             f.mfc.setPoint(2)});
        if (afterTick)
            afterTick();
    });
    return steps;
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

// One tick's worth of slack on a hold: it ends at the first tick after its
// time, and a tick is 250 ms plus its own exchanges.
constexpr double TickSlackMs = 300.0;

}  // namespace

TEST(Flush, HoldsItsThreeStepsAcrossTicksAndEndsInStandby)
{
    RigFixture f;
    Dilute(f);
    const float setPointA = f.mfc.setPoint(1);
    const int rows = f.Rows();
    f.mfc.clearRecords();
    f.relay.clearRecords();

    f.form.ButtonFlush->click();
    EXPECT_EQ(f.form.LabelStatus->text(), "Flushing");
    std::vector<int> rowsDuring;
    const std::vector<Step> steps = RunAndWatch(f, 11.0, [&] {
        if (f.form.Core().Mixer.FlushRunning())
            rowsDuring.push_back(f.Rows());
    });

    struct Expected {
        std::uint8_t Valves;
        const char* Status;
        double HoldMs;  // until the next step
    };
    const Expected expected[] = {
        {Pattern({0, 0, 1, 0, 0, 0}), "Flush bypass line with gas B (2 sec)", 2000},
        {Pattern({1, 1, 0, 0, 0, 1}), "Flush bubbler and chambers (5 sec)", 5000},
        {Pattern({0, 0, 0, 1, 0, 1}), "Flush chambers with dry (2 sec)", 2000},
        {0, "Standby", 0},
    };
    ASSERT_GE(steps.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].Valves, expected[i].Valves);
        EXPECT_EQ(steps[i].Status, expected[i].Status);
        EXPECT_EQ(steps[i].SetPointA, setPointA) << "the flush leaves gas A alone";
        EXPECT_EQ(steps[i].SetPointB, i < 3 ? 6.0f : 0.0f);
        if (expected[i].HoldMs > 0) {
            const double heldMs = (steps[i + 1].At - steps[i].At) * MsPerDay;
            EXPECT_GE(heldMs, expected[i].HoldMs);
            EXPECT_LT(heldMs, expected[i].HoldMs + TickSlackMs);
        }
    }
    // Gas B up before the first step, off before the valves close at the end.
    ASSERT_GE(f.mfc.setPoints().size(), 2u);
    EXPECT_EQ(f.mfc.setPoints()[0].Value, 6.0f);
    EXPECT_LT(f.mfc.setPoints()[0].At, steps[0].At);
    EXPECT_EQ(f.mfc.setPoints()[1].Value, 0.0f);
    EXPECT_LT(f.mfc.setPoints()[1].At, steps[3].At);

    // One row for the change to Flushing, none during the flush, then
    // Standby, which zeroes gas A.
    ASSERT_FALSE(rowsDuring.empty());
    EXPECT_EQ(rowsDuring.front(), rows + 1);
    EXPECT_EQ(rowsDuring.back(), rows + 1);
    EXPECT_EQ(f.Cell(rows, ModeColumn), "Flushing");
    EXPECT_EQ(f.Cell(rows, MethodColumn), "");
    ASSERT_EQ(f.Rows(), rows + 2);
    EXPECT_EQ(f.Cell(rows + 1, ModeColumn), "Standby");
    EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(Flush, ClicksDuringTheFlushRunButTheFlushStillEndsInStandby)
{
    RigFixture f;
    f.form.ButtonFlush->click();
    // Bypass while the bubbler is flushed, Dilution while the chambers dry.
    double dilutionAt = 0.0;
    const std::vector<Step> steps = RunAndWatch(f, 11.0, [&] {
        const QString status = f.form.LabelStatus->text();
        if (status == "Flush bubbler and chambers (5 sec)") {
            f.form.ButtonBypass->click();
            EXPECT_EQ(f.s.MixerState, TMixerState::Bypass);
        } else if (status == "Flush chambers with dry (2 sec)" && dilutionAt == 0.0) {
            dilutionAt = f.clock.now();
            f.form.ButtonDilution->click();
            EXPECT_EQ(f.s.MixerState, TMixerState::Dilution);
        }
    });

    std::vector<std::uint8_t> valves;
    for (std::size_t i = 0; i < steps.size() && i < 4; ++i)
        valves.push_back(steps[i].Valves);
    EXPECT_EQ(valves,
              (std::vector<std::uint8_t>{Pattern({0, 0, 1, 0, 0, 0}), Pattern({1, 1, 0, 0, 0, 1}),
                                         Pattern({0, 0, 0, 1, 0, 1}), 0}))
        << "the flush goes on with its own patterns, then ends closed";

    // The Dilution click planned, reset the totalizers and started the clock.
    ASSERT_GT(dilutionAt, 0.0);
    EXPECT_EQ(MixingMethodName(f.s.MixingMethod), "A (pulse) in B");
    EXPECT_FALSE(f.form.Memo4->toPlainText().isEmpty());
    EXPECT_GE(f.s.TotalizerA.StartTime, dilutionAt);
    EXPECT_GT(f.s.DilutionStartTime, f.s.TotalizerA.StartTime);

    EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
    EXPECT_EQ(f.relay.pattern(), 0);
    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(Flush, StopOrClosingTheWindowEndsTheFlushAtOnceWithEverythingClosed)
{
    // Stop or the close comes before the flush's first tick, during each of
    // its holds, or just after it ended.
    const char* moments[] = {"Flushing", "Flush bypass line with gas B (2 sec)", "Flush bubbler and chambers (5 sec)",
                             "Flush chambers with dry (2 sec)", "Standby"};
    for (bool stop : {true, false}) {
        for (const char* moment : moments) {
            SCOPED_TRACE(std::string(stop ? "Stop, " : "close, ") + moment);
            RigFixture f;
            Dilute(f);
            f.mfc.clearRecords();
            f.relay.clearRecords();
            f.form.ButtonFlush->click();

            double handledAt = -1.0;
            auto act = [&] {
                if (handledAt >= 0.0 || f.form.LabelStatus->text() != moment)
                    return;
                handledAt = f.clock.now();
                const bool flushing = f.form.Core().Mixer.FlushRunning();
                stop ? f.form.ButtonStop->click() : (void)f.form.close();
                // A running flush ends at once, not at the next tick.
                if (flushing || !stop) {
                    EXPECT_EQ(f.relay.pattern(), 0);
                    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
                }
            };
            act();
            RunAndWatch(f, 10.0, act);

            ASSERT_GE(handledAt, 0.0);
            for (const ValvePatternRecord& p : f.relay.patterns())
                EXPECT_TRUE(p.At < handledAt || p.Pattern == 0) << "no valve opens after it";
            for (const SetPointRecord& sp : f.mfc.setPoints())
                EXPECT_TRUE(sp.At < handledAt || sp.Value == 0.0f) << "no gas after it";
            EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
            EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
            EXPECT_FALSE(f.form.Core().Mixer.FlushRunning());
            EXPECT_TRUE(stop || f.mfc.setPoint(1) == 0.0f) << "closing zeroes gas A too";
            if (!stop) {
                const auto frames = f.mfc.frames().size();
                f.RunFor(1);
                EXPECT_EQ(f.mfc.frames().size(), frames) << "after a close no tick acts";
            }
            EXPECT_TRUE(f.dialogs.Errors.isEmpty());
        }
    }
}
