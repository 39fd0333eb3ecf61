#pragma once

#include <QValidator>

// Holds what the operator types or pastes into a line edit to a number of
// characters; a paste that does not fit is cut to the room left, a keystroke
// with no room left is refused. The program's own texts are not limited:
// while `Programmatic` is set every text passes.
class TTypedLengthLimit final : public QValidator {
public:
    explicit TTypedLengthLimit(QObject* parent)
        : QValidator(parent)
    {
    }

    State validate(QString& input, int& pos) const override;

    int Limit = 0;  // 0: no limit
    bool Programmatic = false;
    QString Before;  // the text before the edit being validated
};
