// The log table on the Output page: its columns, the rows StoreData adds,
// the planner's marker rows and the right-click save.
#include "form1.h"

#include "clock.h"
#include "columns.h"
#include "log_saver.h"
#include "log_table_model.h"
#include "mixer_core.h"
#include "rt_double_edit.h"
#include "time_picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTableView>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

const QString SaveRunning = QStringLiteral("The log is still being saved. Please wait for the result.");

// Hands mouse presses on the table to the window's handler; the right
// button is the handler's alone, the others keep the table's behaviour.
class TMouseDownFilter final : public QObject {
public:
    TMouseDownFilter(QObject* parent, std::function<void(Qt::MouseButton)> handler)
        : QObject(parent)
        , handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return QObject::eventFilter(watched, event);
        const auto button = static_cast<QMouseEvent*>(event)->button();
        handler_(button);
        return button == Qt::RightButton;
    }

private:
    std::function<void(Qt::MouseButton)> handler_;
};

}  // namespace

void TForm1::SetUpLogTable()
{
    // 17 columns, one fixed header row, one empty data row to begin with.
    StringGrid1->setModel(LogTable);
    // Rows of one height: placing a row never needs the heights of the
    // rows before it, which keeps a days-long log quick to scroll.
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 8);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    // The header row is part of the table: a right click there saves too.
    auto* mouseDown = new TMouseDownFilter(
        this, [this](Qt::MouseButton button) { Guarded([this, button] { StringGrid1MouseDown(button); }); });
    StringGrid1->viewport()->installEventFilter(mouseDown);
    StringGrid1->horizontalHeader()->viewport()->installEventFilter(mouseDown);
    LogSaver_ = new TLogSaver(this);
    connect(LogSaver_, &TLogSaver::Finished, this, &TForm1::SaveFinished);
}

void TForm1::SetUpLogColumns()
{
    const TColumnTable columns = StandardLogColumns();
    LogTable->SetColumns(columns);
    for (const RColInfo& info : columns) {
        if (info.ColID >= 0 && !info.Caption.isEmpty())
            StringGrid1->setColumnWidth(info.ColID, info.ColW);
    }
}

void TForm1::SetUpSaveDialog()
{
    SaveDialog1.Filter = QStringLiteral("Comma separated file (*.csv);;Text file (*.txt)");
    SaveDialog1.DefaultExt = QStringLiteral("csv");
}

void TForm1::Calculate()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.Calculate(); });
}

void TForm1::StoreData()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.StoreData(); });
}

void TForm1::ShowStoredRow(int row)
{
    WidenMethodColumn(row);
    // The new row becomes the current one and is scrolled into view, also
    // while the Output page is not shown.
    const QModelIndex current = StringGrid1->currentIndex();
    const QModelIndex stored = LogTable->index(row, current.isValid() ? current.column() : 0);
    StringGrid1->setCurrentIndex(stored);
    StringGrid1->scrollTo(stored);
}

void TForm1::WidenMethodColumn(int row)
{
    // The Method column widens to a text longer than any before it (an
    // alarm's cause), up to half the table; a longer one shows whole in its
    // tooltip. Once widened it stays as the operator drags it.
    const RColInfo method = At(StandardLogColumns(), TProperty::Method);
    const int column = method.ColID;
    const QString text = LogTable->CellText(row, column);
    if (text.isEmpty())
        return;
    const int needed = StringGrid1->fontMetrics().horizontalAdvance(text) + 12;
    if (needed <= MethodWidest_)
        return;
    MethodWidest_ = needed;
    const int most = std::max(method.ColW, StringGrid1->viewport()->width() / 2);
    if (needed > StringGrid1->columnWidth(column))
        StringGrid1->setColumnWidth(column, std::min(needed, most));
}

QString TForm1::ProposedSavePath() const
{
    return QDir(ProposedSaveFolder(QCoreApplication::applicationDirPath()))
        .filePath(FormatDayCount(QStringLiteral("yyyy-mm-dd hh_mm"), Clock_.wallNow()));
}

void TForm1::StringGrid1MouseDown(Qt::MouseButton Button)
{
    if (Button != Qt::RightButton)
        return;
    if (LogSaver_->Running()) {
        Dialogs_.ShowMessage(this, SaveRunning);
        return;
    }
    PromptAndSave();
}

void TForm1::PromptAndSave()
{
    const QString chosen = PromptSavePath();
    if (!chosen.isEmpty())
        Save(chosen);
}

QString TForm1::PromptSavePath()
{
    const QString chosen = Dialogs_.PromptSaveFileName(this, SaveDialog1, ProposedSavePath());
    if (!chosen.isEmpty() && QFileInfo::exists(chosen))
        throw std::runtime_error("File already exists. Cannot overwrite.");
    return chosen;
}

void TForm1::Save(const QString& Path)
{
    // The file gets the table as it stands now; rows stored while it is
    // written are for the next save.
    if (!LogSaver_->Start(Path, Memo4->toPlainText(), LogTable->Snapshot()))
        Dialogs_.ShowMessage(this, SaveRunning);
}

void TForm1::WaitForSave()
{
    LogSaver_->Wait();
}

void TForm1::SaveFinished(bool saved, std::uint64_t changes)
{
    if (saved)
        SavedChanges_ = std::max(SavedChanges_, changes);
    AddMemoLine(MemoDevFeedback, QString());
    AddMemoLine(MemoDevFeedback, saved ? QStringLiteral("Saving succeeded") : QStringLiteral("Saving failed"));
}

bool TForm1::LogUnsaved() const
{
    return LogTable->Changes() > SavedChanges_;
}
