// The window's side of the flow controllers: port and gas table from the
// Setup page's selections, results into the window's variables; every
// exchange goes through the equipment gateway.
#include "form1.h"

#include "list_selection.h"
#include "mfc_services.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>

std::string TForm1::SelectedMfcPort() const
{
    return SelectedText(ListBoxPortMFC);
}

void TForm1::ValidateMFC()
{
    const bool ok = ReportIdentification(Gateway_->IdentifyMFCs(), [this](const std::string& line) {
        AddMemoLine(MemoSetupFeedback, QString::fromStdString(line));
    });
    CheckBoxMFCOK->setChecked(ok);
}

std::string TForm1::MinMaxFlow(const std::string& Port, std::uint32_t Address)
{
    const bool gasA = Address == 1;
    const int row = SelectedRow(gasA ? ListBoxSetupGas1 : ListBoxSetupGas2);
    TWindowState& w = WindowState;
    return Gateway_->MinMaxFlow(Port, Address, GasTableNumber(row), gasA ? w.FIA : w.FIB,
                                gasA ? w.PossibleMinFlowAGramsperMinute : w.PossibleMinFlowBGramsperMinute,
                                gasA ? w.PossibleMaxFlowAGramsperMinute : w.PossibleMaxFlowBGramsperMinute);
}

TSerialResponse TForm1::SetMFCFlow(std::uint32_t Address, double Flow)
{
    return Gateway_->SetMFCFlow(Address, Flow);
}

void TForm1::ResetRetrieveTotalizers()
{
    Gateway_->ResetRetrieveTotalizers(WindowState.TotalizerA, WindowState.TotalizerB);
}

void TForm1::ReadTotalizers()
{
    Gateway_->ReadTotalizers(WindowState.TotalizerA, WindowState.TotalizerB);
}
