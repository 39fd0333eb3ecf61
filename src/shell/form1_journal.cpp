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

void TForm1::AskToSaveBeforeClosing()
{
    WaitForSave();
    if (!LogUnsaved() || !Dialogs_.AskYesNo(this, QStringLiteral("Save the log before closing?")))
        return;
    if (PromptAndSave())
        WaitForSave();
}

void TForm1::CloseLogJournal()
{
    WaitForSave();
    if (Journal_)
        Journal_->Close();
}
