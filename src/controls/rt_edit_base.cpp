#include "rt_edit_base.h"

#include "system_beep.h"
#include "typed_length_limit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// What a key press types, as the operator's keyboard produces characters:
// Enter, a control code (Backspace 8, Escape 27, Ctrl+letter 1..26), text,
// or nothing at all (arrows, Delete, function keys, Alt combinations), which
// the filter leaves to the edit. An X11 keyboard sends Delete with the text
// 0x7F; it is still the Delete key, not a character.
struct TypedKey {
    enum Kind { Nothing, Enter, ControlCode, Text } kind = Nothing;
    int code = 0;
};

TypedKey Classify(const QKeyEvent& e)
{
    const Qt::KeyboardModifiers mods = e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrl = mods == Qt::ControlModifier;
    const int key = e.key();

    if (mods & (Qt::AltModifier | Qt::MetaModifier) || key == Qt::Key_Delete)
        return {};
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return ctrl ? TypedKey{TypedKey::ControlCode, 10} : TypedKey{TypedKey::Enter, 13};
    if (key == Qt::Key_Backspace)
        return {TypedKey::ControlCode, ctrl ? 127 : 8};
    if (key == Qt::Key_Escape)
        return {TypedKey::ControlCode, 27};
    if (ctrl) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return {TypedKey::ControlCode, key - Qt::Key_A + 1};
        return {};
    }
    const QString text = e.text();
    if (text.isEmpty())
        return {};
    const ushort first = text.at(0).unicode();
    if (text.size() == 1 && (first < 0x20 || first == 0x7f))
        return {TypedKey::ControlCode, first};
    return {TypedKey::Text, 0};
}

// Control codes the edit handles itself: Backspace, and Ctrl+A, C, V, X, Z
// (select all, copy, paste, cut, undo).
bool IsEditingCode(int code)
{
    return code == 8 || code == 1 || code == 3 || code == 22 || code == 24 || code == 26;
}

// Focus that moves because another window or a popup menu became active is
// not the operator leaving or entering the field.
bool MovesBetweenControls(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

TRtEditBase::TRtEditBase(QWidget* parent)
    : QLineEdit(parent)
    , FLastValid(QStringLiteral("0"))
{
    FLengthLimit = new TTypedLengthLimit(this);
    setValidator(FLengthLimit);
    SetDisplayedText(QStringLiteral("0"));
    FLengthLimit->Before = text();
    connect(this, &QLineEdit::textChanged, this, &TRtEditBase::TextChanged);
}

TRtEditBase::~TRtEditBase() = default;

int TRtEditBase::MaxLength() const
{
    return FLengthLimit->Limit;
}

void TRtEditBase::SetMaxLength(int characters)
{
    FLengthLimit->Limit = characters > 0 ? characters : 0;
}

int TRtEditBase::WinWidth() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this).width();
}

void TRtEditBase::SetDisplayedText(const QString& text)
{
    if (this->text() == text)
        return;
    FLengthLimit->Programmatic = true;
    setText(text);
    FLengthLimit->Programmatic = false;
}

int TRtEditBase::TextWidth(const QString& text) const
{
    return fontMetrics().horizontalAdvance(text);
}

bool TRtEditBase::HasParentWindow() const
{
    return parentWidget() != nullptr;
}

void TRtEditBase::RaiseValueChanged()
{
    if (OnValueChanged)
        OnValueChanged(this);
}

void TRtEditBase::TextChanged()
{
    FLengthLimit->Before = text();
    Change();
}

bool TRtEditBase::AcceptsAll(const QString& text) const
{
    for (const QChar c : text) {
        if (!AcceptsCharacter(c))
            return false;
    }
    return true;
}

void TRtEditBase::TypeKey(QKeyEvent* event)
{
    TSettingScope typing(FTyping);
    QLineEdit::keyPressEvent(event);
}

void TRtEditBase::keyPressEvent(QKeyEvent* event)
{
    const TypedKey typed = Classify(*event);
    switch (typed.kind) {
    case TypedKey::Nothing: TypeKey(event); return;
    case TypedKey::Enter:
        event->accept();
        EnterPressed();
        return;
    case TypedKey::ControlCode:
        if (IsEditingCode(typed.code)) {
            TypeKey(event);
        } else {
            event->accept();
            SystemBeep();
        }
        return;
    case TypedKey::Text:
        if (AcceptsAll(event->text())) {
            TypeKey(event);
        } else {
            event->accept();
            SystemBeep();
        }
        return;
    }
}

void TRtEditBase::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !AcceptsAll(event->commitString())) {
        SystemBeep();
        QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&withoutCommit);
        event->accept();
        return;
    }
    TSettingScope typing(FTyping);
    QLineEdit::inputMethodEvent(event);
}

void TRtEditBase::EnterPressed()
{
    ValidateText();
    Raise(OnEditingDone);
    Raise(OnDblClick);
    SystemBeep();
}

void TRtEditBase::Raise(const TNotifyEvent& event)
{
    if (!event)
        return;
    // An error must not unwind through the toolkit's event delivery.
    try {
        event(this);
    } catch (...) {
    }
}

void TRtEditBase::focusInEvent(QFocusEvent* event)
{
    if (MovesBetweenControls(event->reason())) {
        // Back to the text as it was accepted (leading zeros and all); when
        // that differs from what is shown, the change handling accepts it
        // again.
        SetDisplayedText(FLastValid);
        if (FLastCursorPos > 0)
            setCursorPosition(FLastCursorPos);
        if (FLastSelLength > 0)
            setSelection(FLastCursorPos, FLastSelLength);
        if (FNeedSelectAll) {
            selectAll();
            FNeedSelectAll = false;
        }
        if (FAutoSelect && event->reason() != Qt::MouseFocusReason)
            selectAll();
    }
    QLineEdit::focusInEvent(event);
}

void TRtEditBase::focusOutEvent(QFocusEvent* event)
{
    if (MovesBetweenControls(event->reason())) {
        FLastCursorPos = hasSelectedText() ? selectionStart() : cursorPosition();
        FLastSelLength = static_cast<int>(selectedText().size());
        ValidateText();
        DisplayOrHash();
        setCursorPosition(0);
        Raise(OnEditingDone);
    }
    QLineEdit::focusOutEvent(event);
}

void TRtEditBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    Raise(OnDblClick);
}
