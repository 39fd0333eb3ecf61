#pragma once

#include "notify_event.h"

#include <QLineEdit>

class TTypedLengthLimit;

// What the integer and the floating-point entry fields share: the keystroke
// filter and Enter, the remembered caret and selection, the text shown on
// focus entry, the correction and redisplay on focus exit, the typed-length
// limit and the guard against the fields' own text rewrites. The value, its
// text forms and its limits belong to the fields.
class TRtEditBase : public QLineEdit {
    Q_OBJECT

public:
    explicit TRtEditBase(QWidget* parent);
    ~TRtEditBase() override;

    // Raised for every value the field accepts, also for an unchanged one.
    // A failure thrown by the handler never leaves the field.
    TNotifyEvent OnValueChanged;
    // Raised by a double click, and by Enter after the text was validated.
    TNotifyEvent OnDblClick;
    // Raised when the operator ends an entry: after the validation that Enter
    // or leaving the field runs. Its failures never leave the field.
    TNotifyEvent OnEditingDone;

    // Whether the change being handled comes from the operator's keys or
    // composed input, i.e. the operator is still typing; false for the
    // program's values and for the corrections of Enter and focus exit.
    bool Typing() const { return FTyping; }

    // Most characters the operator can type or paste; 0 = no limit. Texts the
    // field shows by itself (a value, the "#" row) are never cut.
    int MaxLength() const;
    void SetMaxLength(int characters);
    // The edit's own limit would also cut the field's texts; use SetMaxLength.
    void setMaxLength(int) = delete;

    // All text is selected when the field is entered other than by a mouse
    // click (on by default).
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }

    // Width in pixels available for text.
    virtual int WinWidth() const;

    // Corrects the typed text to a valid value (focus exit, Enter).
    virtual void ValidateText() = 0;
    // Shows the value, in a shorter or the "#" form when it does not fit.
    virtual void DisplayOrHash() = 0;

    // The last text accepted as a value, exactly as it was typed.
    QString LastValid() const { return FLastValid; }

protected:
    // Whether a typed character may go into the text.
    virtual bool AcceptsCharacter(QChar c) const = 0;
    // Runs after every change of the displayed text.
    virtual void Change() = 0;

    // Shows `text`; showing the text already shown does nothing, any other
    // text runs the change handling before this returns.
    void SetDisplayedText(const QString& text);
    // Pixel width of `text` in the field's font.
    int TextWidth(const QString& text) const;
    bool HasParentWindow() const;
    // Calls the OnValueChanged handler, if any; its failures pass through.
    void RaiseValueChanged();

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    int FLastCursorPos = 0;
    int FLastSelLength = 0;
    bool FSetting = false;
    bool FNeedSelectAll = false;
    QString FLastValid;

private:
    void TextChanged();
    void EnterPressed();
    void Raise(const TNotifyEvent& event);
    // Hands a key the filter let through to the edit, as typing.
    void TypeKey(QKeyEvent* event);
    bool AcceptsAll(const QString& text) const;

    bool FAutoSelect = true;
    bool FTyping = false;
    TTypedLengthLimit* FLengthLimit = nullptr;
};

// Sets a flag for the length of a scope and clears it at the end, also when
// the scope is left by an error, so that a failed rewrite never leaves the
// field ignoring what the operator types.
class TSettingScope {
public:
    explicit TSettingScope(bool& flag)
        : flag_(flag)
    {
        flag_ = true;
    }
    ~TSettingScope() { flag_ = false; }
    TSettingScope(const TSettingScope&) = delete;
    TSettingScope& operator=(const TSettingScope&) = delete;

private:
    bool& flag_;
};
