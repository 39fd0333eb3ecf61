// The log beyond the window's life: the journal that receives every row as
// it is stored, and the close steps that offer a save and end the journal.
#include "form1.h"

#include "journal.h"
#include "log_table_model.h"

#include <QDir>
#include <QLabel>

#include <stdexcept>

void TForm1::StartJournal()
{
    if (!Journal_)
        return;
    // Trouble with the journal is told once, beside the table and in the
    // Debug memo; the mixer and the table go on regardless.
    auto tell = [this](const QString& message, bool keepShowing) {
        LabelJournal->setText(message);
        LabelJournal->setVisible(keepShowing);
        AddMemoLine(MemoDevFeedback, message);
    };
    connect(Journal_, &TJournal::Failed, this, [tell](const QString& message) { tell(message, true); });
    connect(Journal_, &TJournal::Recovered, this, [tell](const QString& message) { tell(message, false); });

    AddMemoLine(MemoDevFeedback,
                QStringLiteral("This run's log is journaled to %1").arg(QDir::toNativeSeparators(Journal_->Path())));
    if (!Journal_->UnclosedPrevious().isEmpty()) {
        tell(QStringLiteral("The previous run ended without closing. Its log was kept in %1.")
                 .arg(QDir::toNativeSeparators(Journal_->UnclosedPrevious())),
             true);
    }
    Journal_->Follow(*LogTable);
}

bool TForm1::AskToSaveBeforeClosing(QString& path)
{
    WaitForSave();
    if (!LogUnsaved())
        return true;
    switch (Dialogs_.AskYesNoCancel(this, QStringLiteral("Save the log before closing?"))) {
    case TAnswer::No: return true;
    case TAnswer::Cancel: return false;
    case TAnswer::Yes: break;
    }
    // Cancelling the file dialog, or choosing a file that exists (refused
    // with its message), keeps the program running rather than closing
    // without the save the operator asked for.
    path = PromptSavePath();
    return !path.isEmpty();
}

void TForm1::CloseLogJournal()
{
    WaitForSave();
    if (Journal_)
        Journal_->Close();
}
