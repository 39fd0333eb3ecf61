#include "form_fixture.h"
#include "list_selection.h"
#include "widget_input.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Gas-table switches (writes of register 16697) the bus carried, as
// (address, table) pairs.
std::vector<std::pair<int, int>> TableSwitches(const MfcBusModel& mfc)
{
    std::vector<std::pair<int, int>> switches;
    for (const ReceivedFrame& f : mfc.frames()) {
        const auto& b = f.Bytes;
        if (b.size() == 8 && b[1] == 6 && (b[2] << 8 | b[3]) == 16697)
            switches.emplace_back(b[0], b[4] << 8 | b[5]);
    }
    return switches;
}

using Switches = std::vector<std::pair<int, int>>;

// The form shown on the Setup page, its controllers validated on the
// simulated port and the relay-board mark set.
struct ReadyForGases : FormFixture {
    ReadyForGases()
    {
        ShowActive(form);
        SelectMfcPort();
        SelectRelayPort();
        form.Core().Setup.Validate();
        mfc.clearRecords();
    }
};

// The system's ports as a test wants them, changeable between calls; the
// simulated relay board answers on COM3 and the controllers on COM4 when
// they are given.
class ChangingPorts final : public SerialLines {
public:
    std::vector<std::string> system;
    SimulatedRig* rig = nullptr;

protected:
    std::vector<std::string> systemPortNames() const override { return system; }
    std::unique_ptr<SerialLine> makeSystemLine(const std::string& name) const override
    {
        if (!rig || std::find(system.begin(), system.end(), name) == system.end())
            return nullptr;
        return name == "COM3" ? rig->relayPort.makeLine() : name == "COM4" ? rig->mfcPort.makeLine() : nullptr;
    }
};

struct FindPortsFixture {
    FakeClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig{clock};
    ChangingPorts lines;
    TForm1 form{TFormServices{clock, dialogs, lines}};

    FindPortsFixture() { lines.rig = &rig; }

    QStringList Items(const QListWidget* list) const
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
};

}  // namespace

TEST(SetupPage, FindPortsFillsBothListsWithTheSameNamesSystemPortsFirst)
{
    FindPortsFixture f;
    f.lines.system = {"/dev/ttyUSB1", "/dev/ttyS0"};
    f.lines.registerLine("SIM-MFC", [] { return nullptr; });
    f.form.ButtonSetupFindPorts->click();

    const QStringList expected{"/dev/ttyUSB1", "/dev/ttyS0", "SIM-MFC"};
    EXPECT_EQ(f.Items(f.form.ListBoxPortSolenoid), expected);
    EXPECT_EQ(f.Items(f.form.ListBoxPortMFC), expected);
    EXPECT_EQ(SelectedRow(f.form.ListBoxPortSolenoid), -1);
    EXPECT_EQ(SelectedRow(f.form.ListBoxPortMFC), -1);
    EXPECT_TRUE(f.dialogs.Messages.isEmpty());

    // No port at all leaves both lists empty.
    ChangingPorts none;
    FakeClock clock;
    RecordingDialogs dialogs;
    TForm1 bare{TFormServices{clock, dialogs, none}};
    bare.ListBoxPortMFC->addItem("stale");
    bare.ButtonSetupFindPorts->click();
    EXPECT_EQ(bare.ListBoxPortSolenoid->count(), 0);
    EXPECT_EQ(bare.ListBoxPortMFC->count(), 0);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST(SetupPage, FindPortsKeepsPortsThatAreStillThereAndDropsTheMarksOfVanishedOnes)
{
    struct Case {
        const char* name;
        std::vector<std::string> after;   // the ports present at the second search
        QString solenoidAfter, mfcAfter;  // selections afterwards
        bool solenoidMark, mfcMark;
        QStringList messages;
    };
    const Case cases[] = {
        {"both still present, order changed", {"COM7", "COM3", "COM4"}, "COM3", "COM4", true, true, {}},
        {"relay-board port gone", {"COM4"}, "", "COM4", false, true, {"Port COM3 is no longer present"}},
        {"controller port gone", {"COM3", "COM9"}, "COM3", "", true, false, {"Port COM4 is no longer present"}},
        {"both gone", {}, "", "", false, false, {"Port COM3 is no longer present", "Port COM4 is no longer present"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FindPortsFixture f;
        f.lines.system = {"COM3", "COM4"};
        f.form.ButtonSetupFindPorts->click();
        f.form.ListBoxPortSolenoid->setCurrentRow(0);
        f.form.ListBoxPortMFC->setCurrentRow(1);
        f.form.ButtonSetupValidate->click();
        ClickItem(f.form.ListBoxSetupGas1, 0);
        ClickItem(f.form.ListBoxSetupGas2, 0);
        ASSERT_TRUE(f.form.CheckBoxGasesSelected->isChecked());

        f.lines.system = c.after;
        f.form.ButtonSetupFindPorts->click();

        EXPECT_EQ(QString::fromStdString(SelectedText(f.form.ListBoxPortSolenoid)), c.solenoidAfter);
        EXPECT_EQ(QString::fromStdString(SelectedText(f.form.ListBoxPortMFC)), c.mfcAfter);
        EXPECT_EQ(f.form.CheckBoxSolenoidOK->isChecked(), c.solenoidMark);
        EXPECT_EQ(f.form.CheckBoxMFCOK->isChecked(), c.mfcMark);
        // A port that went takes the gas mark with it.
        EXPECT_EQ(f.form.CheckBoxGasesSelected->isChecked(), c.messages.isEmpty());
        EXPECT_EQ(f.dialogs.Messages, c.messages);
        EXPECT_EQ(f.Items(f.form.ListBoxPortMFC).size(), static_cast<int>(c.after.size()));
    }
}

TEST(SetupPage, EveryArrowKeyStepProgramsTheControllerAgainButProgramSelectionsDoNot)
{
    ReadyForGases f;
    f.form.ListBoxSetupGas2->setFocus();
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Down);  // nothing chosen yet: the first item, Ar
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Down);  // N2
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Down);  // end of the list: no step
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Up);    // Ar
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Up);    // top of the list: no step
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_End);   // N2
    EXPECT_EQ(TableSwitches(f.mfc), (Switches{{2, 2}, {2, 3}, {2, 2}, {2, 3}}));
    EXPECT_EQ(f.form.Core().State.B.Name, "N2");
    QTest::keyClick(f.form.ListBoxSetupGas2, Qt::Key_Up);
    EXPECT_EQ(f.form.Core().State.B.Name, "Ar");

    f.mfc.clearRecords();
    f.form.ListBoxSetupGas2->setCurrentRow(1);
    f.form.ListBoxSetupGas1->setCurrentRow(0);
    f.form.ListBoxSetupGas1->clearSelection();
    EXPECT_TRUE(f.mfc.frames().empty());
    EXPECT_EQ(f.form.Core().State.B.Name, "Ar");
}

TEST(SetupPage, TheOperatorCannotEmptyAGasListButTheProgramCan)
{
    ReadyForGases f;
    ClickItem(f.form.ListBoxSetupGas1, 0);
    ASSERT_EQ(SelectedRow(f.form.ListBoxSetupGas1), 0);
    QTest::mouseClick(f.form.ListBoxSetupGas1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      f.form.ListBoxSetupGas1->visualItemRect(f.form.ListBoxSetupGas1->item(0)).center());
    EXPECT_EQ(SelectedRow(f.form.ListBoxSetupGas1), 0);
    QTest::keyClick(f.form.ListBoxSetupGas1, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(SelectedRow(f.form.ListBoxSetupGas1), 0);
    EXPECT_TRUE(f.dialogs.Messages.isEmpty());

    RemoveListSelection(f.form.ListBoxSetupGas1);
    EXPECT_EQ(SelectedRow(f.form.ListBoxSetupGas1), -1);
}

TEST(SetupPage, AControllerWithoutAUsableRangeLeavesTheGasUnchosen)
{
    ReadyForGases f;
    ClickItem(f.form.ListBoxSetupGas1, 0);
    ClickItem(f.form.ListBoxSetupGas2, 1);
    ASSERT_TRUE(f.form.CheckBoxGasesSelected->isChecked());
    const TWindowState before = f.form.Core().State;

    struct Case {
        const char* name;
        int address;
        void (*fault)(MfcFaults&);
        SerialOpenFailure::Reason refusal;  // of the port, said after the message
        const char* why;
    };
    const auto none = SerialOpenFailure::Reason::Unknown;
    const Case cases[] = {
        {"controller 1 reports no dynamic range", 1, [](MfcFaults& x) { x.DynamicRangeZero = true; }, none,
         "\nInvalid dynamic range"},
        {"controller 2 is silent", 2, [](MfcFaults& x) { x.Silent = true; }, none,
         "\nController 2 did not confirm gas table 2: No result to read"},
        {"controller 1 answers with exceptions", 1, [](MfcFaults& x) { x.ExceptionCode = 2; }, none,
         "\nController 1 did not confirm gas table 3: it reported exception 2 (Illegal Data Address)"},
        {"controller 2 keeps its table", 2, [](MfcFaults& x) { x.KeepsGasTable = true; }, none,
         "\nController 2 did not take gas table 2: it meters with table 3"},
        {"the port is refused", 2, [](MfcFaults&) {}, SerialOpenFailure::Reason::PermissionDenied,
         "\nController 2 did not confirm gas table 2: Permission denied on /dev/ttyUSB0: add your user to the group "
         "dialout and log in again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.dialogs.Messages.clear();
        f.mfc.clearFaults();
        // Both gases chosen again, then the failing click on the other item.
        f.mfcPort.Unavailable = false;
        ClickItem(f.form.ListBoxSetupGas1, 0);
        ClickItem(f.form.ListBoxSetupGas2, 1);
        c.fault(f.mfc.faults(c.address));
        f.mfcPort.Unavailable = c.refusal != none;
        f.mfcPort.UnavailableBecause = {c.refusal, "/dev/ttyUSB0", ""};
        TListBox* list = c.address == 1 ? f.form.ListBoxSetupGas1 : f.form.ListBoxSetupGas2;
        TListBox* other = c.address == 1 ? f.form.ListBoxSetupGas2 : f.form.ListBoxSetupGas1;
        ClickItem(list, c.address == 1 ? 1 : 0);

        EXPECT_EQ(
            f.dialogs.Messages,
            QStringList{QString("Controller %1 did not report a usable flow range; gas not selected").arg(c.address)
                        + c.why});
        EXPECT_EQ(SelectedRow(list), -1);
        EXPECT_NE(SelectedRow(other), -1);
        EXPECT_FALSE(f.form.CheckBoxGasesSelected->isChecked());
        const TWindowState& w = f.form.Core().State;
        EXPECT_EQ(w.FIA.Name, before.FIA.Name);
        EXPECT_EQ(w.FIB.Name, before.FIB.Name);
        EXPECT_EQ(w.FIA.Max, before.FIA.Max);
        EXPECT_EQ(w.FIB.Max, before.FIB.Max);
        EXPECT_EQ(w.A.Name, "O2");
        EXPECT_EQ(w.B.Name, "N2");
        EXPECT_EQ(w.PossibleMinFlowAGramsperMinute, before.PossibleMinFlowAGramsperMinute);
        EXPECT_EQ(w.PossibleMaxFlowAGramsperMinute, before.PossibleMaxFlowAGramsperMinute);
        EXPECT_EQ(w.PossibleMinFlowBGramsperMinute, before.PossibleMinFlowBGramsperMinute);
        EXPECT_EQ(w.PossibleMaxFlowBGramsperMinute, before.PossibleMaxFlowBGramsperMinute);
        EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    }
}

TEST(SetupPage, AGasClickMakesAStartedMixerSafeBeforeTheSwitchAndLeavesAnyOtherAlone)
{
    struct Case {
        bool validated;
        TMixerState state;
        bool madeSafe;  // valves closed and both set-points zero before the switch
        TMixerState after;
    };
    const Case cases[] = {
        {true, TMixerState::Dilution, true, TMixerState::Standby},
        {true, TMixerState::Bypass, true, TMixerState::Standby},
        {true, TMixerState::Standby, true, TMixerState::Standby},
        {true, TMixerState::Unknown, false, TMixerState::Unknown},
        {false, TMixerState::Dilution, false, TMixerState::Dilution},
        {false, TMixerState::Unknown, false, TMixerState::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(MixerStateName(c.state)) + (c.validated ? " validated" : " not validated"));
        ReadyForGases f;
        if (!c.validated) {
            f.mfc.faults(1).Silent = true;
            f.form.ButtonSetupValidate->click();
            f.mfc.clearFaults();
        }
        f.relay.clearRecords();
        f.mfc.clearRecords();
        f.form.Core().State.MixerState = c.state;
        f.form.LabelStatus->setText(MixerStateName(c.state));
        ClickItem(f.form.ListBoxSetupGas1, 0);
        EXPECT_EQ(f.form.Core().State.MixerState, c.after);
        EXPECT_EQ(f.form.LabelStatus->text(), MixerStateName(c.after));

        // Made safe: the all-closed pattern, then both set-points zero, then
        // the gas table switch; otherwise none of them.
        const auto& frames = f.mfc.frames();
        const auto switched = std::find_if(frames.begin(), frames.end(), [](const ReceivedFrame& r) {
            return r.Bytes.size() == 8 && r.Bytes[1] == 6 && (r.Bytes[2] << 8 | r.Bytes[3]) == 16697;
        });
        EXPECT_EQ(f.relay.patterns().size(), c.madeSafe ? 1u : 0u);
        EXPECT_EQ(f.mfc.setPoints().size(), c.madeSafe ? 2u : 0u);
        for (const ValvePatternRecord& p : f.relay.patterns())
            EXPECT_EQ(p.Pattern, 0);
        for (const SetPointRecord& sp : f.mfc.setPoints())
            EXPECT_TRUE(sp.Value == 0.0f && switched != frames.end() && sp.At < switched->At);
        EXPECT_EQ(TableSwitches(f.mfc).size(), c.validated ? 1u : 0u) << "a refused click reaches no controller";
        // The next tick runs without an error although gas B is not chosen yet.
        f.form.Timer1Timer();
        EXPECT_TRUE(f.dialogs.Errors.isEmpty()) << f.dialogs.Errors.join("; ").toStdString();
    }
}

TEST(SetupPage, TheGasMarkFollowsAllFourConditionsAndAKeyReleaseReevaluatesIt)
{
    ReadyForGases f;
    ClickItem(f.form.ListBoxSetupGas1, 0);
    ClickItem(f.form.ListBoxSetupGas2, 0);
    ASSERT_TRUE(f.form.CheckBoxGasesSelected->isChecked());

    struct Case {
        const char* name;
        bool solenoid, mfc;
        int gas1, gas2;
        bool expected;
    };
    const Case cases[] = {
        {"all four", true, true, 0, 1, true},
        {"relay board not proven", false, true, 0, 0, false},
        {"controllers not proven", true, false, 1, 0, false},
        {"no gas A", true, true, -1, 0, false},
        {"no gas B", true, true, 1, -1, false},
        {"nothing", false, false, -1, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The gases as chosen with the equipment proven, then a validation
        // that proves or fails each device.
        f.relay.Faults.Silent = false;
        f.mfc.clearFaults();
        f.form.ButtonSetupValidate->click();
        TRigSetup& setup = f.form.Core().Setup;
        setup.SelectGas(1, c.gas1);
        setup.SelectGas(2, c.gas2);
        const bool before = f.form.CheckBoxGasesSelected->isChecked();
        f.relay.Faults.Silent = !c.solenoid;
        f.mfc.faults(1).Silent = !c.mfc;
        f.form.ButtonSetupValidate->click();
        // A mark changed by validation is not reflected until the operator
        // touches a gas list again.
        EXPECT_EQ(f.form.CheckBoxGasesSelected->isChecked(), before);
        QTest::keyClick(c.gas1 >= 0 ? f.form.ListBoxSetupGas2 : f.form.ListBoxSetupGas1, Qt::Key_Shift);
        EXPECT_EQ(f.form.CheckBoxGasesSelected->isChecked(), c.expected);
    }
    EXPECT_TRUE(f.dialogs.Messages.isEmpty());
}
