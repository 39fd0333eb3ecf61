#pragma once

#include <string>

class QListWidget;

// The selected row of a single-selection list, -1 when nothing is selected.
int SelectedRow(const QListWidget* list);
// The text of the selected item as an 8-bit string, "" when nothing is selected.
std::string SelectedText(const QListWidget* list);
