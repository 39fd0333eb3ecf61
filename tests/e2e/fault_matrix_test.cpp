// The simulated rig made to fail in the middle of operation, every fault in
// every way of sending gas out: what the operator and the equipment see.
#include "rig_fixture.h"

#include <QFrame>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr double SecondsPerDay = 86400.0;
// Long enough for the flow to have been judged on a whole window.
constexpr double HealthySeconds = 33.0;

// Every cell of every stored row, as shown.
std::vector<QStringList> Cells(const RigFixture& f)
{
    std::vector<QStringList> rows;
    for (int r = 0; r < f.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < f.form.LogTable->columnCount(); ++c)
            cells << f.form.LogTable->CellText(r, c);
        rows.push_back(cells);
    }
    return rows;
}

std::vector<int> RowsWithMode(const RigFixture& f, const char* mode)
{
    std::vector<int> rows;
    for (int r = 0; r < f.Rows(); ++r) {
        if (f.Cell(r, ModeColumn) == mode)
            rows.push_back(r);
    }
    return rows;
}

} // namespace

TEST(FaultMatrix, EveryFaultInEveryDeliveryEndsSafeWithAnAlarmOrItsOwnLine)
{
    struct Scenario {
        const char* Name;
        std::function<void(RigFixture&)> Start;
    };
    const Scenario scenarios[] = {
        {"A (constant) in B",
         [](RigFixture& f) {
             f.Request(10000, 0);
             f.form.ButtonDilution->click();
             ASSERT_EQ(f.s.MixingMethod, "A (constant) in B");
         }},
        // The humidified method the dispatch runs: both gases at a constant
        // set-point, gas B through the bubbler for a share of the time.
        {"A (pulse) in B/H2O with water",
         [](RigFixture& f) {
             f.Request(150, 7300);
             f.form.ButtonDilution->click();
             ASSERT_EQ(f.s.MixingMethod, "A (pulse) in B/H2O");
             ASSERT_GT(f.s.H2OFractioninB, 0.0);
         }},
        {"A (pulse) in B",
         [](RigFixture& f) {
             f.Request(150, 0);
             f.form.ButtonDilution->click();
             ASSERT_EQ(f.s.MixingMethod, "A (pulse) in B");
         }},
        {"Bypass", [](RigFixture& f) { f.form.ButtonBypass->click(); }},
    };
    struct Fault {
        TRigFault Kind;
        double WithinSeconds;  // 0: no alarm
        const char* Cause;     // how the cause begins
        bool RelayHears, Controller1Hears, Controller2Hears;
    };
    const Fault faults[] = {
        {TRigFault::RelaySilent, 2, "Relay board not answering since ", false, true, true},
        {TRigFault::Mfc1Silent, 2, "Flow controller 1 not answering since ", true, false, true},
        {TRigFault::Mfc2Silent, 2, "Flow controller 2 not answering since ", true, true, false},
        {TRigFault::MfcBadCrc, 2, "Flow controller ", true, true, true},
        {TRigFault::GasBEmpty, 5, "Gas B flow 0.0", true, true, true},
        {TRigFault::BubblerOpenCircuit, 0, "", true, true, true},
    };

    for (const Scenario& scenario : scenarios) {
        for (const Fault& fault : faults) {
            SCOPED_TRACE(std::string(scenario.Name) + ", " + std::string(RigFaultName(fault.Kind)));
            RigFixture f;
            scenario.Start(f);
            const TMixerState running = f.s.MixerState;
            const double faultAt = f.rig.secondsSinceStart() + HealthySeconds;
            f.rig.scheduleFault(fault.Kind, faultAt);

            f.RunFor(HealthySeconds);
            ASSERT_FALSE(f.form.Mixer().Alarm()) << "no alarm while the rig is sound: " << f.form.Mixer().Alarm()->Cause;
            const std::vector<QStringList> before = Cells(f);
            const double pH2O = f.form.RtIntegerEditpH2O->Value();

            if (fault.WithinSeconds == 0) {
                // The open thermistor shows at the next reading, and only there.
                f.RunFor(1);
                f.form.RtIntegerEditH2OTempValueChanged();
                f.RunFor(5);
                EXPECT_TRUE(f.DevLines().contains("Thermistor reading out of range: DAC = 1023"));
                EXPECT_EQ(f.form.RtIntegerEditpH2O->Value(), pH2O) << "the last sound pressure stays";
                EXPECT_FALSE(f.form.Mixer().Alarm());
                EXPECT_EQ(f.s.MixerState, running);
                EXPECT_TRUE(f.dialogs.Errors.isEmpty());
                continue;
            }

            std::optional<double> alarmAt;
            f.RunFor(fault.WithinSeconds + 1, [&] {
                if (!alarmAt && f.form.Mixer().Alarm())
                    alarmAt = f.rig.secondsSinceStart();
            });
            ASSERT_TRUE(alarmAt) << "no alarm";
            EXPECT_LE(*alarmAt - faultAt, fault.WithinSeconds);
            const std::string cause = f.form.Mixer().Alarm()->Cause;
            EXPECT_EQ(cause.rfind(fault.Cause, 0), 0u) << cause;

            // Standby at once, and what still hears the program is closed and at zero.
            EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
            EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
            if (fault.RelayHears) {
                EXPECT_EQ(f.relay.pattern(), 0);
            }
            if (fault.Controller1Hears) {
                EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
            }
            if (fault.Controller2Hears) {
                EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
            }
            // The flags show what the board has, not what was last asked of it.
            const bool flags[] = {f.s.V1O, f.s.V2O, f.s.V3O, f.s.V4O, f.s.V5O, f.s.V6O};
            for (int v = 1; v <= 6; ++v)
                EXPECT_EQ(flags[v - 1], f.relay.valveOpen(v)) << "V" << v;

            // The alarm line, the log and the Debug page tell the cause.
            EXPECT_TRUE(f.form.PanelAlarm->isVisibleTo(f.form.OperationPanel));
            EXPECT_TRUE(f.form.LabelAlarm->text().endsWith(QString::fromStdString(cause)));
            EXPECT_TRUE(f.DevLines().contains(QString::fromStdString("Alarm: " + cause)));
            const std::vector<int> alarms = RowsWithMode(f, "Alarm");
            ASSERT_EQ(alarms.size(), 1u);
            EXPECT_EQ(f.Cell(alarms[0], MethodColumn), cause);
            EXPECT_FALSE(f.Cell(alarms[0], 0).empty()) << "the alarm row has its time";
            const std::vector<QStringList> after = Cells(f);
            ASSERT_GE(after.size(), before.size());
            for (std::size_t r = 0; r < before.size(); ++r)
                EXPECT_EQ(after[r], before[r]) << "row " << r;
            EXPECT_TRUE(f.dialogs.Errors.isEmpty()) << f.dialogs.Errors.join('\n').toStdString();
        }
    }
}

TEST(FaultMatrix, AnAlarmStaysUntilAcknowledgedWhileTicksGoOnAndKeepsTheMixerFromStarting)
{
    RigFixture f;
    f.form.ButtonBypass->click();
    f.rig.scheduleFault(TRigFault::Mfc2Silent, f.rig.secondsSinceStart() + 1);
    f.RunFor(4);
    ASSERT_TRUE(f.form.Mixer().Alarm());
    const std::size_t patterns = f.relay.patterns().size();
    f.RunFor(10);
    EXPECT_TRUE(f.form.PanelAlarm->isVisibleTo(f.form.OperationPanel)) << "the line stays";
    EXPECT_GE(f.relay.patterns().size(), patterns + 30) << "Standby is held at every tick meanwhile";
    EXPECT_EQ(f.relay.pattern(), 0);

    for (QPushButton* button : {f.form.ButtonDilution, f.form.ButtonBypass, f.form.ButtonFlush}) {
        SCOPED_TRACE(button->text().toStdString());
        f.dialogs.Messages.clear();
        button->click();
        EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
        EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
        EXPECT_EQ(f.dialogs.Messages, QStringList{"Acknowledge the alarm before Flush, Bypass or Dilution"});
    }

    f.form.ButtonAlarmAcknowledge->click();
    EXPECT_FALSE(f.form.Mixer().Alarm());
    EXPECT_FALSE(f.form.PanelAlarm->isVisibleTo(f.form.OperationPanel));
    f.form.ButtonBypass->click();
    EXPECT_EQ(f.s.MixerState, TMixerState::Bypass) << "the mixer starts again once the alarm is seen";
}
