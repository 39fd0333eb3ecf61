// Flow programs through the window on the simulated rig: each step planned,
// flushed when asked, held for its minutes, the program ended in Standby or
// stopped by whatever takes over; and the dry run of a program agreeing
// with the window's run.
#include "dry_run.h"
#include "rig_fixture.h"
#include "water_limits.h"

#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

// The equipment's own record of what went out.
struct Delivered {
    double GramsA = 0, GramsB = 0, WaterMoles = 0;
};

Delivered RecordOf(RigFixture& f)
{
    const double now = f.clock.now();
    return {f.mfc.deliveredGrams(1, now), f.mfc.deliveredGrams(2, now), f.rig.bubblerAt(now).WaterMoles()};
}

// What the runner reports of each step, with the clock and the equipment.
struct ProgramWatch {
    std::vector<double> HoldBegins, StepEnds;  // seconds since the rig started
    std::vector<std::string> Methods;          // planned at each hold
    std::vector<Delivered> AtHold, AtEnd;
    QStringList Progress;  // the progress line after each tick

    explicit ProgramWatch(RigFixture& f)
    {
        TProgramRunner& runner = f.form.Core().Mixer.Program();
        runner.OnHoldBegins = [this, &f](int) {
            HoldBegins.push_back(f.rig.secondsSinceStart());
            Methods.push_back(std::string(MixingMethodName(f.s.MixingMethod)));
            AtHold.push_back(RecordOf(f));
        };
        runner.OnStepEnds = [this, &f](int, bool) {
            StepEnds.push_back(f.rig.secondsSinceStart());
            AtEnd.push_back(RecordOf(f));
        };
    }
};

int ModeRows(const RigFixture& f, const char* mode)
{
    int n = 0;
    for (int row = 0; row < f.Rows(); ++row)
        n += f.Cell(row, ModeColumn) == mode;
    return n;
}

}  // namespace

TEST(FlowProgram, ThreeStepsThroughTheWindowArePlannedHeldAndEndInStandby)
{
    RigFixture f;
    ProgramWatch watch(f);
    // The third step's water is below what the bubbler can resolve.
    const TFlowProgram program = {{150, 0, 0.5, false}, {10000, 0, 0.25, true}, {150, 20, 0.5, false}};
    const std::int32_t heldWater = ApplyWaterLimits(150, 20, f.form.RtIntegerEditpH2O->Value()).W;
    ASSERT_GT(heldWater, 20);
    f.form.ShowProgram(program);
    // A row in the log, so that no marker is written over by the first row.
    f.form.ButtonStop->click();
    f.Tick();
    const std::size_t markersBefore = f.form.LogTable->Markers().size();

    f.form.ButtonProgramStart->click();
    EXPECT_FALSE(f.form.ButtonProgramStart->isEnabled());
    EXPECT_TRUE(f.form.ButtonProgramStop->isEnabled());
    f.RunFor(100, [&] { watch.Progress << f.form.LabelProgram->text(); });

    EXPECT_EQ(watch.Methods, (std::vector<std::string>{"A (pulse) in B", "A (constant) in B", "A (pulse) in B/H2O"}));
    ASSERT_EQ(watch.HoldBegins.size(), 3u);
    ASSERT_EQ(watch.StepEnds.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const double held = watch.StepEnds[i] - watch.HoldBegins[i];
        EXPECT_GE(held, program[i].Minutes * 60) << "step " << i + 1;
        EXPECT_LT(held, program[i].Minutes * 60 + 0.5) << "step " << i + 1 << ": ends at the tick after its time";
    }
    EXPECT_GE(watch.HoldBegins[1] - watch.StepEnds[0], 9.0) << "the flush runs before step 2's hold";
    EXPECT_LT(watch.HoldBegins[2] - watch.StepEnds[1], 2.0) << "no flush before step 3, only a second in Standby";
    EXPECT_GE(watch.HoldBegins[2] - watch.StepEnds[1], TProgramRunner::SettleSeconds);
    EXPECT_EQ(ModeRows(f, "Flushing"), 1);

    // Each step planned twice, as the operator's typing and Dilution do,
    // every marker with its plan.
    const auto& markers = f.form.LogTable->Markers();
    ASSERT_EQ(markers.size() - markersBefore, 6u);
    for (std::size_t i = markersBefore; i < markers.size(); ++i)
        EXPECT_TRUE(markers[i].Report.contains("Mixing method")) << i;

    // The water limit's correction: in the table and the field, told on the
    // Debug page rather than in a box.
    EXPECT_EQ(f.form.TableFlowProgram->item(2, 1)->text(), QString::number(heldWater));
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), heldWater);
    EXPECT_TRUE(f.dialogs.Messages.isEmpty()) << f.dialogs.Messages.join('|').toStdString();
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().contains(
        QStringLiteral("Minimum water content is %1 ppm").arg(heldWater)));

    EXPECT_TRUE(watch.Progress.contains("Step 1 of 3, 0:30 left"));
    EXPECT_TRUE(watch.Progress.contains("Step 2 of 3, 0:15 left"));
    EXPECT_TRUE(watch.Progress.contains("Step 3 of 3, 0:01 left"));
    EXPECT_EQ(f.form.LabelProgram->text(), "Program finished: 3 steps");

    // Ended in Standby: everything closed and at zero.
    EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
    EXPECT_EQ(f.relay.patterns().back().Pattern, 0);
    EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
    EXPECT_TRUE(f.form.ButtonProgramStart->isEnabled());
    EXPECT_FALSE(f.form.ButtonProgramStop->isEnabled());
}

TEST(FlowProgram, AnAlarmOrTheOperatorTakingOverInStep2StopsTheProgram)
{
    struct Case {
        const char* why;
        std::function<void(RigFixture&)> act;
        TMixerState after;
    };
    const Case cases[] = {
        {"an alarm", [](RigFixture& f) { f.rig.scheduleFault(TRigFault::Mfc2Silent, f.rig.secondsSinceStart()); },
         TMixerState::Standby},
        {"Stop", [](RigFixture& f) { f.form.ButtonStop->click(); }, TMixerState::Standby},
        {"Stop program", [](RigFixture& f) { f.form.ButtonProgramStop->click(); }, TMixerState::Standby},
        {"a ppm typed", [](RigFixture& f) { f.form.RtIntegerEditGasAPPM->SetValue(200); }, TMixerState::Standby},
        {"Bypass", [](RigFixture& f) { f.form.ButtonBypass->click(); }, TMixerState::Bypass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        RigFixture f;
        ProgramWatch watch(f);
        f.form.ShowProgram({{150, 0, 0.25, false}, {1000, 0, 0.25, false}, {150, 0, 0.25, false}});
        f.form.ButtonProgramStart->click();
        bool acted = false;
        f.RunFor(40, [&] {
            if (!acted && watch.HoldBegins.size() == 2 && f.rig.secondsSinceStart() > watch.HoldBegins[1] + 3) {
                c.act(f);
                acted = true;
            }
        });
        ASSERT_TRUE(acted);
        EXPECT_FALSE(f.form.Core().Mixer.Program().Running());
        EXPECT_EQ(watch.HoldBegins.size(), 2u) << "step 3 never began";
        EXPECT_EQ(f.form.LabelProgram->text(), QStringLiteral("Program stopped in step 2 of 3: ") + c.why);
        EXPECT_EQ(f.s.MixerState, c.after);
        EXPECT_EQ(f.form.Core().Mixer.Alarm().has_value(), std::string(c.why) == "an alarm");
        EXPECT_TRUE(f.form.ButtonProgramStart->isEnabled());
    }
}

TEST(FlowProgram, ADryRunDeliversWhatTheWindowsRunDelivers)
{
    const TFlowProgram program = {{150, 7300, 1.0, false}, {1000, 0, 0.5, true}};
    RigFixture f;
    ProgramWatch watch(f);
    f.form.ShowProgram(program);
    f.form.ButtonProgramStart->click();
    f.RunFor(120);
    ASSERT_EQ(f.form.LabelProgram->text(), "Program finished: 2 steps");

    TDryRunOptions options;  // oxygen in argon, the bubbler at the rig's temperature
    options.BubblerTempC = f.relay.BubblerTemperatureC;
    TDryRun dry(options);
    const TDryRunProgramResult r = dry.RunProgram(program);
    ASSERT_TRUE(r.Finished()) << r.Stopped;
    ASSERT_EQ(r.Steps.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i + 1);
        const TDryRunResult& hold = r.Steps[i].Hold;
        EXPECT_EQ(hold.Method, watch.Methods[i]);
        const double gramsA = watch.AtEnd[i].GramsA - watch.AtHold[i].GramsA;
        const double gramsB = watch.AtEnd[i].GramsB - watch.AtHold[i].GramsB;
        const double gramsH2O = (watch.AtEnd[i].WaterMoles - watch.AtHold[i].WaterMoles) * f.s.H2OC.MolarMass;
        EXPECT_NEAR(hold.GramsA, gramsA, 0.01 * gramsA);
        EXPECT_NEAR(hold.GramsB, gramsB, 0.01 * gramsB);
        EXPECT_NEAR(hold.GramsH2O, gramsH2O, 0.01 * gramsH2O + 1e-6);
    }
}
