// The Setup page's workflow: the port lists, the gas choice and the gate
// that keeps the other pages closed until the equipment is proven and both
// gases are chosen.
#include "form1.h"

#include "compounds.h"
#include "list_selection.h"
#include "operator_dialogs.h"
#include "serial_lines.h"
#include "serial_port.h"

#include <QCheckBox>
#include <QPushButton>

void TForm1::ConnectSetupHandlers()
{
    connect(ButtonSetupFindPorts, &QPushButton::clicked, this,
            [this] { Guarded([this] { ButtonSetupFindPortsClick(); }); });
    ListBoxSetupGas1->OnClick = [this](QObject*) { Guarded([this] { ListBoxSetupGas1Click(); }); };
    ListBoxSetupGas2->OnClick = [this](QObject*) { Guarded([this] { ListBoxSetupGas2Click(); }); };
    const TKeyEvent keyUp
        = [this](QObject*, int, Qt::KeyboardModifiers) { Guarded([this] { ListBoxSetupGas1KeyUp(); }); };
    ListBoxSetupGas1->OnKeyUp = keyUp;
    ListBoxSetupGas2->OnKeyUp = keyUp;
    PageControl1->OnChanging = [this](QObject*, bool& AllowChange) {
        // A gate that fails keeps the page.
        bool decided = false;
        Guarded([&] {
            PageControl1Changing(AllowChange);
            decided = true;
        });
        if (!decided)
            AllowChange = false;
    };
    PageControl1->OnChange = [this](QObject*) { Guarded([this] { PageControl1Change(); }); };
}

void TForm1::ButtonSetupFindPortsClick()
{
    const QString solenoidPort = QString::fromStdString(SelectedText(ListBoxPortSolenoid));
    const QString mfcPort = QString::fromStdString(SelectedText(ListBoxPortMFC));

    QStringList names;
    for (const std::string& name : Lines_.portNames())
        names << QString::fromStdString(name);
    ListBoxPortSolenoid->clear();
    ListBoxPortSolenoid->addItems(names);
    ListBoxPortMFC->clear();
    ListBoxPortMFC->addItems(names);

    // Refilling removes the selections; a running mixer must not lose a
    // port that is still there.
    SelectPortAgain(ListBoxPortSolenoid, solenoidPort, CheckBoxSolenoidOK);
    SelectPortAgain(ListBoxPortMFC, mfcPort, CheckBoxMFCOK);
}

void TForm1::SelectPortAgain(QListWidget* list, const QString& name, QCheckBox* mark)
{
    if (name.isEmpty())
        return;
    // A stable name is the same port wherever it leads now.
    for (int row = 0; row < list->count(); ++row) {
        if (PortNameOf(list->item(row)->text().toStdString()) == PortNameOf(name.toStdString())) {
            list->setCurrentRow(row);
            return;
        }
    }
    // Equipment on a port that has gone is no longer proven.
    mark->setChecked(false);
    CheckBoxGasesSelected->setChecked(false);
    Dialogs_.ShowMessage(this, QStringLiteral("Port %1 is no longer present").arg(name));
}

void TForm1::ListBoxSetupGas1Click()
{
    GasListClick(1);
}

void TForm1::ListBoxSetupGas2Click()
{
    GasListClick(2);
}

void TForm1::GasListClick(std::uint32_t Address)
{
    const bool gasA = Address == 1;
    TListBox* list = gasA ? ListBoxSetupGas1 : ListBoxSetupGas2;

    const int row = SelectedRow(list);
    if (!CheckBoxMFCOK->isChecked()) {
        // Refused: no equipment is contacted and the mixer is left alone.
        Dialogs_.ShowMessage(this, QStringLiteral("MFC not validated, cannot select gas yet"));
        RemoveListSelection(list);
    } else if (row >= 0) {
        // The click switches the controller's gas table: a mixture running on
        // meanwhile would be metered with the wrong gas. A mixer that has
        // been started is stopped and the rig made safe before the switch.
        if (WindowState.MixerState != TMixerState::Unknown)
            Mixer_->StopAndMakeSafe();
        const std::string failure = MinMaxFlow(SelectedMfcPort(), Address);
        if (failure.empty()) {
            (gasA ? WindowState.A : WindowState.B) = GetCompound(list->item(row)->text().toStdString());
        } else {
            // The range and the gas stay as they were; the choice is not made.
            Dialogs_.ShowMessage(
                this,
                QStringLiteral("Controller %1 did not report a usable flow range; gas not selected\n%2")
                    .arg(Address)
                    .arg(QString::fromStdString(failure)));
            RemoveListSelection(list);
        }
    }
    CheckContinue();
}

void TForm1::ListBoxSetupGas1KeyUp()
{
    CheckContinue();
}

void TForm1::CheckContinue()
{
    CheckBoxGasesSelected->setChecked(CheckBoxSolenoidOK->isChecked() && CheckBoxMFCOK->isChecked()
                                      && SelectedRow(ListBoxSetupGas1) >= 0 && SelectedRow(ListBoxSetupGas2) >= 0);
}

void TForm1::PageControl1Changing(bool& AllowChange)
{
    AllowChange = CheckBoxSolenoidOK->isChecked() && CheckBoxMFCOK->isChecked() && CheckBoxGasesSelected->isChecked();
    if (!AllowChange)
        Dialogs_.ShowMessage(
            this, QStringLiteral("Must validate equipment and select gas types before proceeding to operation"));
}

void TForm1::PageControl1Change()
{
    switch (PageControl1->currentIndex()) {
    case 0:
        // Gases are chosen again before operation resumes; the controllers
        // keep their tables and the window its ranges meanwhile.
        CheckBoxGasesSelected->setChecked(false);
        RemoveListSelection(ListBoxSetupGas1);
        RemoveListSelection(ListBoxSetupGas2);
        Dialogs_.ShowMessage(this, QStringLiteral("Gas selections removed"));
        break;
    case 1:
        // The bubbler may have warmed or cooled since the last visit.
        RtIntegerEditH2OTempValueChanged();
        break;
    default: break;
    }
}
