// The window's side of the relay board: valves, the board check and the
// bubbler reading, on the port selected in ListBoxPortSolenoid.
#include "form1.h"

#include "list_selection.h"
#include "relay_board.h"
#include "rt_double_edit.h"
#include "valve_graphics.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void TForm1::SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O)
{
    // The flags and the schematic follow the board: they change only when
    // it accepted the pattern (ShowAcceptedValves).
    Gateway_->SetValvePositions(iV1O, iV2O, iV3O, iV4O, iV5O, iV6O);
}

void TForm1::SetValveGraphics(unsigned ID, bool Open)
{
    ::SetValveGraphics(Schematic, ID, Open);
    RefreshSchematic();
}

void TForm1::ButtonSetupValidateClick()
{
    BusyCursor busy;
    if (SelectedRow(ListBoxPortSolenoid) >= 0) {
        const TBoardCheck check = Gateway_->CheckRelayBoard();
        // The transcript appears in one piece.
        MemoSetupFeedback->setUpdatesEnabled(false);
        for (const std::string& line : check.Lines)
            AddMemoLine(MemoSetupFeedback, QString::fromStdString(line));
        MemoSetupFeedback->setUpdatesEnabled(true);
        CheckBoxSolenoidOK->setChecked(check.Ok);
    }
    if (SelectedRow(ListBoxPortMFC) >= 0)
        ValidateMFC();
}

void TForm1::RtIntegerEditH2OTempValueChanged()
{
    Mixer_->ReadBubbler();
}
