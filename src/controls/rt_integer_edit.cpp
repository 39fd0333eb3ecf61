#include "rt_integer_edit.h"

#include "number_text.h"
#include "system_beep.h"

TRtIntegerEdit::TRtIntegerEdit(QWidget* parent)
    : TRtEditBase(parent)
{
}

int TRtIntegerEdit::Check(int v) const
{
    if (!LimitsActive())
        return v;
    if (v < FMinValue)
        return FMinValue;
    if (v > FMaxValue)
        return FMaxValue;
    return v;
}

bool TRtIntegerEdit::AcceptsCharacter(QChar c) const
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
}

void TRtIntegerEdit::Change()
{
    if (FSetting)
        return;
    try {
        const std::optional<int> v = IntegerFromText(text());
        // Text that is no integer, or one outside the limits, stays on screen
        // until the field is left; the value keeps what it had.
        if (!v)
            return;
        if (LimitsActive() && (*v < FMinValue || *v > FMaxValue))
            return;
        FLastValid = text();
        FValue = *v;
        RaiseValueChanged();
    } catch (...) {
    }
}

void TRtIntegerEdit::ValidateText()
{
    try {
        const std::optional<int> v = IntegerFromText(text());
        if (!v)
            return;
        const int c = Check(*v);
        if (c == FValue)
            return;
        FValue = c;
        FLastValid = QString::number(c);
        SetDisplayedText(FLastValid);
        SystemBeep();
        RaiseValueChanged();
    } catch (...) {
    }
}

void TRtIntegerEdit::DisplayOrHash()
{
    if (!HasParentWindow())
        return;
    TSettingScope setting(FSetting);
    QString shown = QString::number(FValue);
    if (!hasFocus() && TextWidth(shown) > WinWidth())
        shown = Hashes;
    SetDisplayedText(shown);
}

void TRtIntegerEdit::SetValue(int v)
{
    try {
        FValue = Check(v);
        FSetting = true;
        SetDisplayedText(QString::number(FValue));
        FLastValid = text();
        DisplayOrHash();
        if (hasFocus())
            FNeedSelectAll = true;
        FSetting = false;
        RaiseValueChanged();
    } catch (...) {
        ShowError();
    }
}

void TRtIntegerEdit::ShowError()
{
    // The guard is cleared first so the field goes on taking what the
    // operator types.
    FSetting = false;
    SetDisplayedText(QStringLiteral("Error"));
}

void TRtIntegerEdit::SetMinValue(int v)
{
    if (v == FMinValue)
        return;
    FMinValue = v;
    SetValue(FValue);
}

void TRtIntegerEdit::SetMaxValue(int v)
{
    if (v == FMaxValue)
        return;
    FMaxValue = v;
    SetValue(FValue);
}

void TRtIntegerEdit::resizeEvent(QResizeEvent* event)
{
    TRtEditBase::resizeEvent(event);
    if (HasParentWindow())
        DisplayOrHash();
}
