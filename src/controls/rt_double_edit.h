#pragma once

#include "date_time_text.h"
#include "rt_edit_base.h"

// An entry field for a 64-bit floating-point value with optional limits, in
// one of three text modes: number (the default), date-time (a day count shown
// as a local date and time) or time span (days shown as "d.hh:mm:ss.zzz").
//
// It follows the integer field: filtered typing, every valid in-range text
// taken at once with OnValueChanged, correction with a beep on focus exit and
// Enter, the caret remembered between visits. A number that does not fit the
// field is first shown with fewer significant digits and only then, when
// DoHashes allows it, as the "#" row.
class TRtDoubleEdit : public TRtEditBase {
    Q_OBJECT

public:
    explicit TRtDoubleEdit(QWidget* parent = nullptr);

    double Value() const { return FValue; }
    // Sets the value (clamped), shows it in the current mode and raises
    // OnValueChanged, also when the value did not change. A failure,
    // including one thrown by the handler, leaves the text "Error".
    void SetValue(double v);

    double MinValue() const { return FMinValue; }
    double MaxValue() const { return FMaxValue; }
    void SetMinValue(double v);
    void SetMaxValue(double v);

    // The modes exclude each other: setting one clears the other. A mode
    // change rewrites the text through SetValue.
    bool AsDateTime() const { return FAsDateTime; }
    void SetAsDateTime(bool on);
    bool AsTimeSpan() const { return FAsTimeSpan; }
    void SetAsTimeSpan(bool on);

    // Whether a number that does not fit even shortened shows as "#".
    bool DoHashes() const { return FDoHashes; }
    void SetDoHashes(bool on);

    // A picture for number texts ("0.000 000"); empty for none.
    QString Format() const { return FFormat; }
    void SetFormat(const QString& picture);

    // Decimals for fixed notation; -1 selects the general format.
    int DecimalPlaces() const { return FDigits; }
    void SetDecimalPlaces(int digits);

    // The number-mode text of v: the picture, the fixed decimals or the
    // general format with 15 digits.
    QString DoubleStr(double v) const;

    // v held to the limits while they are active and, in date-time mode, to
    // the date range.
    double Check(double v) const;
    // In date-time mode keeps both limits inside the date range.
    void CheckDateTimeMinMax();

    // The client width less 5 pixels.
    int WinWidth() const override;

    void ValidateText() override;
    void DisplayOrHash() override;

protected:
    bool AcceptsCharacter(QChar c) const override;
    void Change() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool LimitsActive() const { return FMaxValue > FMinValue; }
    // The text of v in the current mode (number texts not shortened).
    QString ModeText(double v) const;
    // The value of a text in the current mode; throws EConvertError.
    double ModeValue(const QString& text) const;
    void ShowError();

    double FMinValue = 0.0;
    double FMaxValue = 0.0;
    double FValue = 0.0;
    int FDigits = -1;
    bool FAsDateTime = false;
    bool FAsTimeSpan = false;
    bool FDoHashes = true;
    QString FFormat;
};
