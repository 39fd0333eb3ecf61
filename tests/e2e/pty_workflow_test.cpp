// The workflow over the operating system's serial path: the relay board and
// the flow controllers each behind a pseudo-terminal, on the real clock,
// ticked by the window's own timer.
#include "path_serial_lines.h"
#include "pty_host.h"
#include "rig_fixture.h"
#include "widget_input.h"

#include <gtest/gtest.h>

namespace {

int RowsOf(const TLogTableModel& log, const QString& mode)
{
    int n = 0;
    for (int r = 0; r < log.DataRows(); ++r)
        n += log.CellText(r, ModeColumn) == mode;
    return n;
}

}  // namespace

TEST(PtyWorkflow, SetupAndADilutionOverPseudoTerminals)
{
    RealClock clock;
    RecordingDialogs dialogs;
    RelayBoardModel relay;
    MfcBusModel mfc;
    PtyDeviceHost relayHost(relay, clock);
    PtyDeviceHost mfcHost(mfc, clock);
    ASSERT_TRUE(relayHost.isRunning() && mfcHost.isRunning());
    PathSerialLines lines({relayHost.portPath(), mfcHost.portPath()});
    TForm1 form{TFormServices{clock, dialogs, lines}};
    ShowActive(form);
    const TLogTableModel& log = *form.LogTable;

    QTest::mouseClick(form.ButtonSetupFindPorts, Qt::LeftButton);
    ASSERT_EQ(form.ListBoxPortSolenoid->count(), 2);
    ClickItem(form.ListBoxPortSolenoid, 0);
    ClickItem(form.ListBoxPortMFC, 1);
    QTest::mouseClick(form.ButtonSetupValidate, Qt::LeftButton);
    EXPECT_TRUE(form.CheckBoxSolenoidOK->isChecked());
    EXPECT_TRUE(form.CheckBoxMFCOK->isChecked());
    ClickItem(form.ListBoxSetupGas1, 0);  // O2
    ClickItem(form.ListBoxSetupGas2, 0);  // Ar
    ClickTab(form.PageControl1->tabBar(), 1);
    ASSERT_EQ(form.PageControl1->currentIndex(), 1);
    EXPECT_GT(form.RtIntegerEditpH2O->Value(), 0.02);

    // 5000 ppm oxygen: both gases at a constant flow.
    TypeOver(form.RtIntegerEditGasAPPM, "5000");
    ASSERT_EQ(MixingMethodName(form.Core().State.MixingMethod), "A (constant) in B");
    QTest::mouseClick(form.ButtonDilution, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowsOf(log, "Dilution") >= 2; }, 5000));

    const auto flowA = static_cast<float>(form.Core().State.DesiredFlowAGramsperMinute);
    const auto flowB = static_cast<float>(form.Core().State.DesiredFlowBGramsperMinute);
    mfcHost.withModel([&](DeviceModel& m) {
        auto& bus = static_cast<MfcBusModel&>(m);
        EXPECT_EQ(bus.gasTableInUse(1), 2);
        EXPECT_EQ(bus.gasTableInUse(2), 2);
        EXPECT_EQ(bus.setPoint(1), flowA);
        EXPECT_EQ(bus.setPoint(2), flowB);
        EXPECT_GT(bus.totalizerKg(2, clock.now()), 0.0);
    });
    relayHost.withModel([](DeviceModel& m) {
        EXPECT_EQ(static_cast<RelayBoardModel&>(m).pattern(), Pattern({0, 0, 0, 1, 1, 0}));
    });

    // Stop: the tick that logs it closes every valve and zeroes both
    // set-points.
    QTest::mouseClick(form.ButtonStop, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.CellText(log.DataRows() - 1, ModeColumn) == "Standby"; }, 2000));
    mfcHost.withModel([](DeviceModel& m) {
        auto& bus = static_cast<MfcBusModel&>(m);
        EXPECT_EQ(bus.setPoint(1), 0.0f);
        EXPECT_EQ(bus.setPoint(2), 0.0f);
    });
    relayHost.withModel([](DeviceModel& m) { EXPECT_EQ(static_cast<RelayBoardModel&>(m).pattern(), 0); });
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.join('\n').toStdString();
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}
