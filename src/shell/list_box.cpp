#include "list_box.h"

#include "list_selection.h"

#include <QKeyEvent>
#include <QMouseEvent>

TListBox::TListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void RemoveListSelection(QListWidget* list)
{
    list->clearSelection();
    list->setCurrentRow(-1);
}

QItemSelectionModel::SelectionFlags TListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // Only the program empties the list's selection.
    const bool wouldDeselect = command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle);
    if (event && wouldDeselect && index.isValid() && selectionModel() && selectionModel()->isSelected(index))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void TListBox::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    // A list without a selection has no current item either, so the first
    // arrow key selects the first item rather than the second.
    if (SelectedRow(this) < 0 && selectionModel())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void TListBox::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    // The choice is reported when the button is let go, so a message box
    // it may raise does not open under a pressed button.
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr)
        ClickPending_ = true;
}

void TListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && ClickPending_) {
        ClickPending_ = false;
        if (OnClick)
            OnClick(this);
    }
}

void TListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = SelectedRow(this);
    QListWidget::keyPressEvent(event);
    if (SelectedRow(this) != before && OnClick)
        OnClick(this);
}

void TListBox::keyReleaseEvent(QKeyEvent* event)
{
    QListWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && OnKeyUp)
        OnKeyUp(this, event->key(), event->modifiers());
}
