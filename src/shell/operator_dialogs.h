#pragma once

#include <QString>

class QWidget;

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
};

// Real modal message boxes. They run their own event loop while open, so
// the window's timer keeps ticking behind them.
class TQtDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
};
