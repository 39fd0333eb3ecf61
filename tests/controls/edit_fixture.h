#pragma once

#include "system_beep.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QWidget>

#include <ostream>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Counts the system beeps while it lives.
class BeepCounter {
public:
    BeepCounter()
    {
        previous_ = SetBeeper([this] { ++count_; });
    }
    ~BeepCounter() { SetBeeper(previous_); }
    int count() const { return count_; }
    void reset() { count_ = 0; }

private:
    int count_ = 0;
    TBeeper previous_;
};

// Switches the process locale for one test and restores it afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

// One entry field in an active window beside a plain edit that takes the
// focus when the operator leaves the field; every notification is recorded
// with the value the field held when it was raised.
template <class Edit, class ValueType> class EditHost {
public:
    explicit EditHost(int width = 121)
    {
        window.resize(500, 120);
        edit = new Edit(&window);
        edit->setGeometry(10, 10, width, 21);
        other = new QLineEdit(&window);
        other->setGeometry(10, 60, 121, 21);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            ADD_FAILURE() << "the test window did not become active";
        // The window hands the focus to its first control; the field starts
        // without it.
        other->setFocus(Qt::OtherFocusReason);
    }

    void Record()
    {
        edit->OnValueChanged = [this](QObject* sender) {
            EXPECT_EQ(sender, edit);
            notified.push_back(edit->Value());
        };
    }

    void Enter(Qt::FocusReason reason = Qt::TabFocusReason)
    {
        edit->setFocus(reason);
        EXPECT_TRUE(edit->hasFocus());
    }
    void Leave()
    {
        other->setFocus(Qt::TabFocusReason);
        EXPECT_FALSE(edit->hasFocus());
    }
    // Empties the field the way the operator does: select all, Backspace.
    void Clear()
    {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    void Type(const QString& keys) { QTest::keyClicks(edit, keys); }

    QWidget window;
    Edit* edit = nullptr;
    QLineEdit* other = nullptr;
    BeepCounter beeps;
    std::vector<ValueType> notified;
};
