#pragma once

#include <QString>

class QWidget;

// The folder a save dialog proposes: the program's own folder when it may
// be written to (a copy run from its build folder), otherwise the user's
// documents folder (the installed program's folder belongs to the system).
QString ProposedSaveFolder(const QString& programFolder);

// How the save dialog is set up: its file-type filter (Qt's form,
// "Name (*.ext);;Name (*.ext)") and the extension added to a name without one.
struct TSaveDialogSetup {
    QString Filter;
    QString DefaultExt;
};

// The operator's answer to a question that may be cancelled.
enum class TAnswer { Yes, No, Cancel };

// The modal boxes the operator meets. The window shows every message and
// every error through this seam, so tests can see what the operator would
// have seen without a dialog blocking them.
class TOperatorDialogs {
public:
    virtual ~TOperatorDialogs() = default;
    // A message with one OK button (returns when the operator closes it).
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // The error box shown when a handler ends with an error.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& question) = 0;
    // A question with Yes, No and Cancel buttons; closing the box is Cancel.
    virtual TAnswer AskYesNoCancel(QWidget* parent, const QString& question)
    {
        return AskYesNo(parent, question) ? TAnswer::Yes : TAnswer::No;
    }
    // The file-save dialog, opened on `proposedPath` (folder and name). It
    // does not ask about overwriting. Returns the chosen path, or an empty
    // text when the operator cancels.
    virtual QString PromptSaveFileName(QWidget* parent, const TSaveDialogSetup& setup, const QString& proposedPath) = 0;
    // The file-open dialog for an existing file of the setup's types.
    // Returns the chosen path, or an empty text when the operator cancels.
    virtual QString PromptOpenFileName(QWidget* parent, const TSaveDialogSetup& setup, const QString& folder)
    {
        (void)parent;
        (void)setup;
        (void)folder;
        return {};
    }
};

// Real modal message boxes. They run their own event loop while open, so
// the window's timer keeps ticking behind them.
class TQtDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& question) override;
    TAnswer AskYesNoCancel(QWidget* parent, const QString& question) override;
    QString PromptSaveFileName(QWidget* parent, const TSaveDialogSetup& setup, const QString& proposedPath) override;
    QString PromptOpenFileName(QWidget* parent, const TSaveDialogSetup& setup, const QString& folder) override;
};
