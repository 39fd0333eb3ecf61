#pragma once

#include "operator_dialogs.h"

#include <QStringList>

#include <functional>

// Dialogs that record what the operator would have seen and return at once,
// as if OK had been pressed. Questions are answered QuestionAnswer (No
// unless told), three-way ones ThreeWayAnswer. The save dialog answers
// SaveAnswer (empty: the operator cancels).
class RecordingDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override { Messages << text; }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    bool AskYesNo(QWidget*, const QString& question) override
    {
        Questions << question;
        if (OnQuestion)
            OnQuestion();
        return QuestionAnswer;
    }
    TAnswer AskYesNoCancel(QWidget*, const QString& question) override
    {
        Questions << question;
        if (OnQuestion)
            OnQuestion();
        return ThreeWayAnswer;
    }
    QString PromptSaveFileName(QWidget*, const TSaveDialogSetup& setup, const QString& proposedPath) override
    {
        SaveSetups.push_back(setup);
        SaveProposals << proposedPath;
        return SaveAnswer;
    }
    QString PromptOpenFileName(QWidget*, const TSaveDialogSetup&, const QString&) override { return OpenAnswer; }

    QStringList Messages;
    QStringList Errors;
    QStringList Questions;
    bool QuestionAnswer = false;
    TAnswer ThreeWayAnswer = TAnswer::No;
    std::function<void()> OnQuestion;  // runs while a question is open
    QList<TSaveDialogSetup> SaveSetups;
    QStringList SaveProposals;
    QString SaveAnswer;
    QString OpenAnswer;  // the file-open dialog's answer (empty: cancelled)
};
