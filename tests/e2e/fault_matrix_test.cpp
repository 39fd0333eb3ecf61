// The simulated rig made to fail in the middle of operation, every fault in
// every way of sending gas out: what the operator and the equipment see.
#include "rig_fixture.h"

#include <QFrame>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Long enough for the flow to have been judged on a whole window.
constexpr double HealthySeconds = 33.0;

QStringList Cells(const RigFixture& f)
{
    QStringList cells;
    for (int r = 0; r < f.Rows(); ++r)
        for (int c = 0; c < PropertyCount; ++c)
            cells << f.form.LogTable->CellText(r, c);
    return cells;
}

}  // namespace

TEST(FaultMatrix, EveryFaultInEveryDeliveryEndsSafeWithAnAlarmOrItsOwnLine)
{
    struct Scenario {
        const char* Method;  // "Bypass" for the bypass
        int GasA, Water;     // ppm
    };
    // Both gases at a set-point, humidified; humidified with gas A in
    // pulses; gas A in pulses; pure gas B.
    const Scenario scenarios[] = {{"A (constant) in B/H2O", 10000, 7300},
                                  {"A (pulse) in B/H2O", 150, 7300},
                                  {"A (pulse) in B", 150, 0},
                                  {"Bypass", 0, 0}};
    struct Fault {
        TRigFault Kind;
        double Argument;       // a flaky line's percent, an unplugged port's seconds
        double WithinSeconds;  // 0: no alarm
        const char* Cause;     // how the cause begins
        bool RelayHears, Controller1Hears, Controller2Hears;
    };
    const Fault faults[] = {
        {TRigFault::RelaySilent, 0, 2, "Relay board not answering since ", false, true, true},
        {TRigFault::Mfc1Silent, 0, 2, "Flow controller 1 (gas A, O2) not answering since ", true, false, true},
        {TRigFault::Mfc2Silent, 0, 2, "Flow controller 2 (gas B, Ar) not answering since ", true, true, false},
        {TRigFault::MfcBadCrc, 0, 2, "Flow controller ", true, true, true},
        {TRigFault::GasBEmpty, 0, 5, "Gas B flow 0.0", true, true, true},
        {TRigFault::BubblerOpenCircuit, 0, 0, "", true, true, true},
        {TRigFault::MfcFlaky, 5, 0, "", true, true, true},
        {TRigFault::PortUnplug, 4, 2, "Flow controller 1 (gas A, O2) not answering since ", true, false, false},
        {TRigFault::MfcStale, 0, 5, "Gas B flow 0.000 g/min against ", true, true, true},
    };

    for (const Scenario& scenario : scenarios) {
        for (const Fault& fault : faults) {
            SCOPED_TRACE(std::string(scenario.Method) + ", " + std::string(RigFaultName(fault.Kind)));
            RigFixture f;
            if (scenario.GasA == 0) {
                f.form.ButtonBypass->click();
            } else {
                f.Request(scenario.GasA, scenario.Water);
                f.form.ButtonDilution->click();
                ASSERT_EQ(MixingMethodName(f.s.MixingMethod), scenario.Method);
            }
            const TMixerState running = f.s.MixerState;
            const double faultAt = f.rig.secondsSinceStart() + HealthySeconds;
            f.rig.scheduleFault({fault.Kind, faultAt, fault.Argument});
            f.RunFor(HealthySeconds);
            ASSERT_FALSE(f.form.Core().Mixer.Alarm())
                << "a sound rig raises none: " << f.form.Core().Mixer.Alarm()->Cause;
            const QStringList before = Cells(f);
            const double pH2O = f.form.RtIntegerEditpH2O->Value();

            std::optional<double> alarmAt;
            f.RunFor(1, [&] {
                if (!alarmAt && f.form.Core().Mixer.Alarm())
                    alarmAt = f.rig.secondsSinceStart();
            });
            if (fault.WithinSeconds == 0) {
                if (fault.Kind == TRigFault::BubblerOpenCircuit) {
                    // The open thermistor shows at the next reading, and only there.
                    f.form.RtIntegerEditH2OTempValueChanged();
                    f.RunFor(5);
                    EXPECT_TRUE(f.DevLines().contains("Thermistor reading out of range: DAC = 1023"));
                    EXPECT_EQ(f.form.RtIntegerEditpH2O->Value(), pH2O) << "the last sound pressure stays";
                }
                // A flaky line is ridden out: no alarm, and no reading made up.
                f.RunFor(30);
                EXPECT_FALSE(f.form.Core().Mixer.Alarm()) << f.form.Core().Mixer.Alarm()->Cause;
                EXPECT_EQ(f.s.MixerState, running);
                const QString all = Cells(f).join(';');
                EXPECT_FALSE(all.contains("nan", Qt::CaseInsensitive) || all.contains("inf", Qt::CaseInsensitive));
                EXPECT_EQ(f.mfc.garbledReplies() > 0, fault.Kind == TRigFault::MfcFlaky);
                continue;
            }
            f.RunFor(fault.WithinSeconds, [&] {
                if (!alarmAt && f.form.Core().Mixer.Alarm())
                    alarmAt = f.rig.secondsSinceStart();
            });
            ASSERT_TRUE(alarmAt) << "no alarm";
            EXPECT_LE(*alarmAt - faultAt, fault.WithinSeconds);
            const std::string cause = f.form.Core().Mixer.Alarm()->Cause;
            EXPECT_EQ(cause.rfind(fault.Cause, 0), 0u) << cause;
            EXPECT_TRUE(fault.Kind != TRigFault::PortUnplug || cause.ends_with(": No such port: SIM-MFC")) << cause;

            // Standby, and what still hears the program closed and at zero;
            // the valve flags show what the board has.
            EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
            EXPECT_TRUE(!fault.RelayHears || f.relay.pattern() == 0);
            EXPECT_TRUE(!fault.Controller1Hears || f.mfc.setPoint(1) == 0.0f);
            EXPECT_TRUE(!fault.Controller2Hears || f.mfc.setPoint(2) == 0.0f);
            const bool flags[] = {f.s.V1O, f.s.V2O, f.s.V3O, f.s.V4O, f.s.V5O, f.s.V6O};
            for (int v = 1; v <= 6; ++v)
                EXPECT_EQ(flags[v - 1], f.relay.valveOpen(v)) << "V" << v;

            // The alarm line (still there while the ticks went on), the Debug
            // page and one log row tell the cause; earlier rows stay as they were.
            const QString text = QString::fromStdString(cause);
            EXPECT_TRUE(f.form.PanelAlarm->isVisibleTo(f.form.OperationPanel));
            EXPECT_TRUE(f.form.LabelAlarm->text().endsWith(text));
            EXPECT_TRUE(f.DevLines().contains("Alarm: " + text));
            const QStringList after = Cells(f);
            EXPECT_EQ(after.mid(0, before.size()), before);
            const qsizetype alarmRow = after.indexOf("Alarm", before.size()) / PropertyCount;
            ASSERT_GT(alarmRow, 0);
            EXPECT_EQ(f.Cell(alarmRow, MethodColumn), cause);
            EXPECT_NE(f.Cell(alarmRow, 0), "") << "the alarm row has its time";
            EXPECT_EQ(after.count("Alarm"), 1);
            EXPECT_TRUE(f.dialogs.Errors.isEmpty()) << f.dialogs.Errors.join('\n').toStdString();

            // Nothing starts until the operator has acknowledged the alarm.
            f.form.ButtonDilution->click();
            f.form.ButtonBypass->click();
            EXPECT_EQ(f.s.MixerState, TMixerState::Standby);
            EXPECT_EQ(f.dialogs.Messages.count("Acknowledge the alarm before Flush, Bypass or Dilution"), 2);
            // An unplugged adapter back in its port: Standby holds again.
            if (fault.Kind == TRigFault::PortUnplug)
                f.RunFor(fault.Argument);
            f.form.ButtonAlarmAcknowledge->click();
            EXPECT_FALSE(f.form.PanelAlarm->isVisibleTo(f.form.OperationPanel));
            f.form.ButtonFlush->click();
            EXPECT_EQ(f.s.MixerState, TMixerState::Flushing);
            if (fault.Kind != TRigFault::PortUnplug)
                continue;
            // ... and the same delivery runs again as before.
            f.RunFor(12);
            (scenario.GasA == 0 ? f.form.ButtonBypass : f.form.ButtonDilution)->click();
            f.RunFor(HealthySeconds);
            EXPECT_FALSE(f.form.Core().Mixer.Alarm()) << f.form.Core().Mixer.Alarm()->Cause;
            EXPECT_EQ(f.s.MixerState, running);
        }
    }
}
