#include "rt_double_edit.h"

#include "general_format.h"
#include "locale_formats.h"
#include "number_picture.h"
#include "number_text.h"
#include "system_beep.h"
#include "time_span_text.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

TRtDoubleEdit::TRtDoubleEdit(QWidget* parent)
    : TRtEditBase(parent)
{
}

int TRtDoubleEdit::WinWidth() const
{
    return TRtEditBase::WinWidth() - 5;
}

QString TRtDoubleEdit::DoubleStr(double v) const
{
    if (!FFormat.isEmpty())
        return FormatFloat(FFormat, v);
    if (FDigits >= 0) {
        // Fixed notation up to 18 significant digits; beyond that only the
        // exponent form can show the number honestly.
        if (!std::isfinite(v) || std::fabs(v) >= 1e18)
            return GeneralFormat(v, 18, 0);
        QString text = QString::number(v, 'f', std::min(FDigits, 18));
        return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    return GeneralFormat(v, 15, 0);
}

QString TRtDoubleEdit::ModeText(double v) const
{
    if (FAsDateTime)
        return DateTimeText(v);
    if (FAsTimeSpan)
        return DoubleToTimeSpanStr(v);
    return DoubleStr(v);
}

double TRtDoubleEdit::ModeValue(const QString& text) const
{
    if (FAsDateTime)
        return DateTimeFromText(text);
    if (FAsTimeSpan)
        return DoubleFomTimeSpanStr(text);
    return StrToFloat(text);
}

double TRtDoubleEdit::Check(double v) const
{
    if (LimitsActive()) {
        if (v < FMinValue)
            v = FMinValue;
        else if (v > FMaxValue)
            v = FMaxValue;
    }
    if (FAsDateTime) {
        if (v < MinDateTime)
            v = MinDateTime;
        else if (v > MaxDateTime)
            v = MaxDateTime;
    }
    return v;
}

void TRtDoubleEdit::CheckDateTimeMinMax()
{
    if (!FAsDateTime)
        return;
    FMinValue = std::clamp(FMinValue, MinDateTime, MaxDateTime);
    FMaxValue = std::clamp(FMaxValue, MinDateTime, MaxDateTime);
}

bool TRtDoubleEdit::AcceptsCharacter(QChar c) const
{
    const TFormatSettings fs = CurrentFormatSettings();
    const bool dateOrTime = FAsDateTime || FAsTimeSpan;
    // The fixed set and the separators are single-byte characters.
    if (c.unicode() <= 255) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringLiteral("+-Ee.").contains(c))
            return true;
        if (fs.DecimalSeparator == QString(c))
            return true;
        if (dateOrTime && (c == QLatin1Char(' ') || c == fs.TimeSeparator || c == fs.DateSeparator))
            return true;
    }
    return dateOrTime && (CharIn(c, fs.TimeAMString) || CharIn(c, fs.TimePMString));
}

void TRtDoubleEdit::Change()
{
    if (FSetting)
        return;
    try {
        const QString shown = text();
        if (shown.isEmpty())
            return;
        const double v = ModeValue(shown);
        // The date range is not applied to typing; only the limits are.
        if (LimitsActive() && (v < FMinValue || v > FMaxValue))
            return;
        FLastValid = shown;
        FValue = v;
        RaiseValueChanged();
    } catch (...) {
    }
}

void TRtDoubleEdit::ValidateText()
{
    try {
        const double c = Check(ModeValue(text()));
        if (c == FValue)
            return;
        SetDisplayedText(ModeText(c));
        FLastValid = text();
        FValue = c;
        SystemBeep();
        RaiseValueChanged();
    } catch (...) {
    }
}

void TRtDoubleEdit::DisplayOrHash()
{
    if (!HasParentWindow())
        return;
    TSettingScope setting(FSetting);
    try {
        QString shown;
        if (FAsDateTime || FAsTimeSpan) {
            shown = FAsDateTime ? DateTimeText(FValue) : DoubleToTimeSpanStr(FValue);
            if (FDoHashes && TextWidth(shown) > WinWidth())
                shown = Hashes;
        } else {
            // Numbers may use two pixels more than dates and times.
            const int room = WinWidth() + 2;
            shown = DoubleStr(FValue);
            if (TextWidth(shown) > room) {
                int digits = 19;
                do {
                    --digits;
                    shown = RealToStrDigits(FValue, digits);
                } while (digits > 2 && TextWidth(shown) > room);
                if (FDoHashes && TextWidth(shown) > room)
                    shown = Hashes;
            }
        }
        SetDisplayedText(shown);
    } catch (...) {
        // A value the mode cannot show (a negative time span typed while
        // the limits are off) shows as "Error"; the guard still ends with
        // this scope, so typing goes on being taken.
        SetDisplayedText(QStringLiteral("Error"));
    }
}

void TRtDoubleEdit::SetValue(double v)
{
    try {
        FValue = Check(v);
        FSetting = true;
        SetDisplayedText(ModeText(FValue));
        FLastValid = text();
        if (!hasFocus()) {
            DisplayOrHash();
            FNeedSelectAll = true;
        }
        FSetting = false;
        RaiseValueChanged();
    } catch (...) {
        ShowError();
    }
}

void TRtDoubleEdit::ShowError()
{
    FSetting = false;
    SetDisplayedText(QStringLiteral("Error"));
}

void TRtDoubleEdit::SetMinValue(double v)
{
    if (v == FMinValue)
        return;
    FMinValue = v;
    CheckDateTimeMinMax();
    SetValue(FValue);
}

void TRtDoubleEdit::SetMaxValue(double v)
{
    if (v == FMaxValue)
        return;
    FMaxValue = v;
    CheckDateTimeMinMax();
    SetValue(FValue);
}

void TRtDoubleEdit::SetAsDateTime(bool on)
{
    if (on == FAsDateTime)
        return;
    FAsDateTime = on;
    if (on) {
        FAsTimeSpan = false;
        CheckDateTimeMinMax();
    }
    SetValue(FValue);
    if (!hasFocus())
        DisplayOrHash();
}

void TRtDoubleEdit::SetAsTimeSpan(bool on)
{
    if (on == FAsTimeSpan)
        return;
    FAsTimeSpan = on;
    if (on)
        FAsDateTime = false;
    SetValue(FValue);
    if (!hasFocus())
        DisplayOrHash();
}

void TRtDoubleEdit::SetDoHashes(bool on)
{
    if (on == FDoHashes)
        return;
    FDoHashes = on;
    if (!hasFocus())
        DisplayOrHash();
}

void TRtDoubleEdit::SetFormat(const QString& picture)
{
    if (picture == FFormat)
        return;
    FFormat = picture;
    if (!hasFocus())
        DisplayOrHash();
}

void TRtDoubleEdit::SetDecimalPlaces(int digits)
{
    if (digits == FDigits)
        return;
    FDigits = digits;
    if (!hasFocus())
        DisplayOrHash();
}

void TRtDoubleEdit::resizeEvent(QResizeEvent* event)
{
    TRtEditBase::resizeEvent(event);
    if (HasParentWindow() && !hasFocus())
        DisplayOrHash();
}
