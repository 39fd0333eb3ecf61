// The Setup page worked through as the operator does it, with clicks and
// keys, against the simulated rig on the fake clock.
#include "list_selection.h"
#include "qt_printers.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "workflow_fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>

namespace {

const QString Gate = "Must validate equipment and select gas types before proceeding to operation";

}  // namespace

TEST(SetupWorkflow, FromFindPortsToTheOperationPage)
{
    Workflow w;
    TForm1& f = w.form;

    // Nothing opens before setup.
    w.Page(1);
    w.Page(3);
    EXPECT_EQ(w.dialogs.Messages, (QStringList{Gate, Gate}));
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);

    w.Click(f.ButtonSetupFindPorts);
    for (const TListBox* list : {f.ListBoxPortSolenoid, f.ListBoxPortMFC}) {
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), "SIM-RELAY");
        EXPECT_EQ(list->item(1)->text(), "SIM-MFC");
    }
    ClickItem(f.ListBoxPortSolenoid, 0);
    ClickItem(f.ListBoxPortMFC, 1);

    w.Click(f.ButtonSetupValidate);
    EXPECT_EQ(w.Memo(f.MemoSetupFeedback),
              (QStringList{"Time  0: 10:00:00.000", "", "Write 254 33  : 254 33", "Comm Status   : ",
                           "Comm Response : 85", "Relay board controlling solenoids is OK", "", "MFCs are OK", ""}));
    EXPECT_TRUE(f.CheckBoxSolenoidOK->isChecked());
    EXPECT_TRUE(f.CheckBoxMFCOK->isChecked());
    EXPECT_FALSE(f.CheckBoxGasesSelected->isChecked());
    w.Page(1);
    EXPECT_EQ(w.dialogs.Messages.count(Gate), 3);

    // Each gas click switches its controller to the table of that gas.
    ClickItem(f.ListBoxSetupGas1, 1);
    ClickItem(f.ListBoxSetupGas2, 1);
    EXPECT_EQ(w.rig.mfc.gasTableInUse(1), 3);
    EXPECT_EQ(w.rig.mfc.gasTableInUse(2), 3);
    EXPECT_EQ(f.Core().State.A.Name, "5%H2,95%Ar");
    EXPECT_EQ(f.Core().State.B.Name, "N2");
    EXPECT_TRUE(f.CheckBoxGasesSelected->isChecked());
    EXPECT_EQ(f.Core().State.MixerState, TMixerState::Unknown) << "a mixer never started is left alone";

    // Find ports now keeps the chosen ports.
    w.Click(f.ButtonSetupFindPorts);
    EXPECT_EQ(SelectedText(f.ListBoxPortSolenoid), "SIM-RELAY");
    EXPECT_EQ(SelectedText(f.ListBoxPortMFC), "SIM-MFC");
    EXPECT_TRUE(f.CheckBoxGasesSelected->isChecked());

    // Entering Operation reads the bubbler once.
    w.rig.relay.BubblerTemperatureC = 25.0;
    w.rig.relay.clearRecords();
    const int messages = w.dialogs.Messages.size();
    w.Page(1);
    ASSERT_EQ(f.PageControl1->currentIndex(), 1);
    EXPECT_EQ(w.dialogs.Messages.size(), messages);
    EXPECT_EQ(w.BubblerReadings(), 1);
    EXPECT_NEAR(f.RtIntegerEditpH2O->Value(), 0.0313, 0.0005);
    EXPECT_TRUE(w.Memo(f.MemoDevFeedback).first().startsWith("0-1024 DAC = "));

    // Output and Debug are open now; coming back to Operation reads again.
    w.Page(2);
    w.Page(3);
    w.Page(1);
    EXPECT_EQ(w.BubblerReadings(), 2);

    // Back on Setup the gases must be chosen again.
    w.Page(0);
    EXPECT_EQ(w.dialogs.Messages.last(), "Gas selections removed");
    EXPECT_EQ(SelectedRow(f.ListBoxSetupGas1), -1);
    EXPECT_EQ(SelectedRow(f.ListBoxSetupGas2), -1);
    w.Page(1);
    EXPECT_EQ(w.dialogs.Messages.last(), Gate);
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_EQ(w.rig.mfc.gasTableInUse(1), 3) << "the controllers keep their tables meanwhile";
    EXPECT_TRUE(f.CheckBoxSolenoidOK->isChecked());
    EXPECT_TRUE(f.CheckBoxMFCOK->isChecked());

    // Chosen again, the gates open; every return to Setup says so again,
    // also with no gas chosen.
    ClickItem(f.ListBoxSetupGas1, 0);
    ClickItem(f.ListBoxSetupGas2, 0);
    w.Page(3);
    w.Page(0);
    f.CheckBoxGasesSelected->setChecked(true);
    w.Page(2);
    w.Page(0);
    EXPECT_EQ(w.dialogs.Messages.count("Gas selections removed"), 3);
    EXPECT_TRUE(w.dialogs.Errors.isEmpty());
}

TEST(SetupWorkflow, AFailingRigKeepsTheGateShutUntilItIsProvenAndTheGasesTouchedAgain)
{
    Workflow w;
    TForm1& f = w.form;
    w.rig.relay.Faults.CheckReply = 0xAA;
    w.rig.mfc.faults(2).Silent = true;
    w.FindAndChoosePorts();

    w.Click(f.ButtonSetupValidate);
    const QStringList first = w.Memo(f.MemoSetupFeedback);
    EXPECT_TRUE(first.contains("Comm Response : 170"));
    EXPECT_TRUE(first.contains("Relay board controlling solenoids was NOT OK"));
    EXPECT_TRUE(first.contains("One of more MFC failed to be identified"));
    EXPECT_FALSE(f.CheckBoxSolenoidOK->isChecked());
    EXPECT_FALSE(f.CheckBoxMFCOK->isChecked());

    // No gas can be chosen while the controllers are unproven.
    w.rig.mfc.clearRecords();
    ClickItem(f.ListBoxSetupGas1, 0);
    EXPECT_EQ(w.dialogs.Messages.last(), "MFC not validated, cannot select gas yet");
    EXPECT_EQ(SelectedRow(f.ListBoxSetupGas1), -1);
    EXPECT_TRUE(w.rig.mfc.frames().empty());

    // Controllers mended: gases can be chosen, but the board is still
    // unproven, so the gas mark stays clear.
    w.rig.mfc.clearFaults();
    w.Click(f.ButtonSetupValidate);
    EXPECT_TRUE(f.CheckBoxMFCOK->isChecked());
    ClickItem(f.ListBoxSetupGas1, 0);
    ClickItem(f.ListBoxSetupGas2, 0);
    EXPECT_EQ(w.rig.mfc.gasTableInUse(1), 2);
    EXPECT_EQ(w.rig.mfc.gasTableInUse(2), 2);
    EXPECT_FALSE(f.CheckBoxGasesSelected->isChecked());

    // Board mended: validation alone does not open the gate ...
    w.rig.relay.Faults = {};
    w.Click(f.ButtonSetupValidate);
    EXPECT_TRUE(f.CheckBoxSolenoidOK->isChecked());
    EXPECT_EQ(w.Memo(f.MemoSetupFeedback).mid(0, first.size() - 1), first.mid(0, first.size() - 1))
        << "every transcript is appended below the earlier ones";
    w.Page(1);
    EXPECT_EQ(w.dialogs.Messages.last(), Gate);

    // ... a key released in a gas list does.
    f.ListBoxSetupGas2->setFocus();
    QTest::keyClick(f.ListBoxSetupGas2, Qt::Key_Control);
    EXPECT_TRUE(f.CheckBoxGasesSelected->isChecked());
    w.Page(1);
    EXPECT_EQ(f.PageControl1->currentIndex(), 1);
    EXPECT_TRUE(w.dialogs.Errors.isEmpty());
}
