#include "list_selection.h"

#include <QListWidget>

int SelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

std::string SelectedText(const QListWidget* list)
{
    const int row = SelectedRow(list);
    return row < 0 ? std::string() : list->item(row)->text().toStdString();
}
