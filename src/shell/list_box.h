#pragma once

#include "notify_event.h"

#include <QListWidget>

// A single-selection list that tells the operator's choices from the
// program's. OnClick is raised when the operator clicks an item or moves the
// selection with the keyboard (arrow keys, Home/End, Page keys, typing an
// item's first letters); selections the program makes raise nothing. Once an
// item is selected the operator can choose another one but not leave the
// list without a selection (no Ctrl+click or Ctrl+Space deselection); only
// the program removes a selection.
class TListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TListBox(QWidget* parent = nullptr);

    TNotifyEvent OnClick;
    // Raised when a key is released while the list has the focus; an
    // auto-repeating key raises it once, when it is let go.
    TKeyEvent OnKeyUp;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool ClickPending_ = false;
};

// Removes the selection and the current item of a list, as the program does
// (raises no notification).
void RemoveListSelection(QListWidget* list);
