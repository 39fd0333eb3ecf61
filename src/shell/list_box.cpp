#include "list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>

TListBox::TListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int ListSelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

QString ListSelectedText(const QListWidget* list)
{
    const int row = ListSelectedRow(list);
    return row < 0 ? QString() : list->item(row)->text();
}

void RemoveListSelection(QListWidget* list)
{
    list->clearSelection();
    list->setCurrentRow(-1);
}

int TListBox::SelectedRow() const
{
    return ListSelectedRow(this);
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
    const int before = SelectedRow();
    QListWidget::keyPressEvent(event);
    if (SelectedRow() != before && OnClick)
        OnClick(this);
}

void TListBox::keyReleaseEvent(QKeyEvent* event)
{
    QListWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && OnKeyUp)
        OnKeyUp(this, event->key(), event->modifiers());
}
