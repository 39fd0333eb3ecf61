#pragma once

#include "operator_dialogs.h"

#include <QStringList>

// Dialogs that record what the operator would have seen and return at once,
// as if OK had been pressed.
class RecordingDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override { Messages << text; }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }

    QStringList Messages;
    QStringList Errors;
};
