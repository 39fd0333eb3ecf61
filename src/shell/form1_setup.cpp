// The Setup page's side of the setup: the port lists, the gas choice and
// the gate that keeps the other pages closed until the equipment is proven
// and both gases are chosen. The setup itself is the core's; the page shows
// its state and sends it the operator's choices.
#include "form1.h"

#include "list_selection.h"
#include "mixer_core.h"
#include "operator_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
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
    // Every device command uses the ports chosen at that moment.
    for (QListWidget* list :
         {static_cast<QListWidget*>(ListBoxPortSolenoid), static_cast<QListWidget*>(ListBoxPortMFC)})
        connect(list, &QListWidget::itemSelectionChanged, this,
                [this] { Guarded([this] { PortSelectionChanged(); }); });
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

void TForm1::PostSetup(TMixerService::TCommand command)
{
    // The window goes on while the core talks to the equipment; the page
    // says it is busy until the answer is shown.
    if (SetupPending_++ == 0) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        for (QWidget* step : {GroupBox1, GroupBox3, GroupBox4})
            step->setEnabled(false);
    }
    Service_->Post(std::move(command), [this] {
        if (--SetupPending_ > 0)
            return;
        for (QWidget* step : {GroupBox1, GroupBox3, GroupBox4})
            step->setEnabled(true);
        QApplication::restoreOverrideCursor();
    });
}

void TForm1::ShowSetup(const TSetupState& setup)
{
    ShowingSetup_ = true;
    // The lists are filled anew after every search for ports.
    const bool refill = setup.PortSearches != PortSearchesShown_;
    PortSearchesShown_ = setup.PortSearches;
    auto fill = [&](QListWidget* list, const std::string& chosen) {
        if (refill) {
            list->clear();
            for (const std::string& name : setup.Ports)
                list->addItem(QString::fromStdString(name));
        }
        // The operator's newer choice, not yet answered, stays.
        if (SetupPending_ > 1)
            return;
        const auto found = list->findItems(QString::fromStdString(chosen), Qt::MatchExactly);
        if (chosen.empty() || found.isEmpty())
            RemoveListSelection(list);
        else if (list->currentItem() != found.first())
            list->setCurrentItem(found.first());
    };
    fill(ListBoxPortSolenoid, setup.RelayPort);
    fill(ListBoxPortMFC, setup.MfcPort);
    auto choose = [](QListWidget* list, int row) {
        if (row < 0)
            RemoveListSelection(list);
        else if (list->currentRow() != row)
            list->setCurrentRow(row);
    };
    if (SetupPending_ <= 1) {
        choose(ListBoxSetupGas1, setup.GasA);
        choose(ListBoxSetupGas2, setup.GasB);
    }
    CheckBoxSolenoidOK->setChecked(setup.SolenoidOK);
    CheckBoxMFCOK->setChecked(setup.MFCOK);
    CheckBoxGasesSelected->setChecked(setup.GasesSelected);
    FollowSetupInRecords(setup);
    ShowingSetup_ = false;
}

void TForm1::PortSelectionChanged()
{
    if (ShowingSetup_)
        return;
    Service_->Post([relay = SelectedText(ListBoxPortSolenoid), mfc = SelectedText(ListBoxPortMFC)](TMixerCore& c) {
        c.Setup.SelectPorts(relay, mfc);
    });
}

void TForm1::ButtonSetupFindPortsClick()
{
    PostSetup([](TMixerCore& c) { c.Setup.FindPorts(); });
}

void TForm1::ButtonSetupValidateClick()
{
    PostSetup([](TMixerCore& c) { c.Setup.Validate(); });
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
    const int row = SelectedRow(Address == 1 ? ListBoxSetupGas1 : ListBoxSetupGas2);
    PostSetup([Address, row](TMixerCore& c) { c.Setup.SelectGas(Address, row); });
}

void TForm1::ListBoxSetupGas1KeyUp()
{
    CheckContinue();
}

void TForm1::CheckContinue()
{
    Service_->Post([](TMixerCore& c) { c.Setup.CheckContinue(); });
}

void TForm1::PageControl1Changing(bool& AllowChange)
{
    // The marks show the core's setup as last reported.
    AllowChange = CheckBoxSolenoidOK->isChecked() && CheckBoxMFCOK->isChecked() && CheckBoxGasesSelected->isChecked();
    if (!AllowChange)
        Dialogs_.ShowMessage(
            this, QStringLiteral("Must validate equipment and select gas types before proceeding to operation"));
}

void TForm1::PageControl1Change()
{
    switch (PageControl1->currentIndex()) {
    case 0: Service_->Post([](TMixerCore& c) { c.Setup.WithdrawGases(); }); break;
    case 1:
        // The bubbler may have warmed or cooled since the last visit.
        RtIntegerEditH2OTempValueChanged();
        break;
    default: break;
    }
}
