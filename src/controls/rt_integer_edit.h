#pragma once

#include "rt_edit_base.h"

// An entry field for a signed 32-bit integer with optional limits.
//
// Typing is filtered to digits and "-"; every typed text that is an integer
// within the limits is taken at once and raises OnValueChanged. An entry
// outside the limits is corrected to the nearest limit, with a beep, when the
// operator leaves the field or presses Enter. Without the focus the field
// shows its value, or the "#" row when the value is wider than the field.
// The limits apply only while MaxValue > MinValue.
class TRtIntegerEdit : public TRtEditBase {
    Q_OBJECT

public:
    explicit TRtIntegerEdit(QWidget* parent = nullptr);

    // The current value, also while the text shows something else.
    int Value() const { return FValue; }
    // Sets the value (clamped to the limits), shows it and raises
    // OnValueChanged, also when the value did not change. A failure,
    // including one thrown by the handler, leaves the text "Error".
    void SetValue(int v);

    int MinValue() const { return FMinValue; }
    int MaxValue() const { return FMaxValue; }
    // A changed limit re-clamps and redisplays the value through SetValue.
    void SetMinValue(int v);
    void SetMaxValue(int v);

    // v held to the limits while they are active.
    int Check(int v) const;

    void ValidateText() override;
    void DisplayOrHash() override;

protected:
    bool AcceptsCharacter(QChar c) const override;
    void Change() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool LimitsActive() const { return FMaxValue > FMinValue; }
    void ShowError();

    int FMinValue = 0;
    int FMaxValue = 0;
    int FValue = 0;
};
