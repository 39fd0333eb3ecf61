#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTest>
#include <QWidget>

// Real input for widget tests: what the operator does with the mouse and
// the keyboard, delivered as the window system would.

// Shows a window and makes it the active one, so keys and shortcuts reach
// it as they reach the operator's window.
inline void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        ADD_FAILURE() << "the window did not become active";
}

// The operator clicks item `row` of a list.
inline void ClickItem(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The operator clicks tab `index` of a tab row.
inline void ClickTab(QTabBar* bar, int index)
{
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// The operator clicks into a field, selects all of its text with Ctrl+A and
// types `text` over it, key by key.
inline void TypeOver(QLineEdit* field, const QString& text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}
