#pragma once

#include "notify_event.h"

#include <QPoint>
#include <QTabBar>
#include <QTabWidget>

#include <functional>

// Asked before a page change; leaving AllowChange true lets it happen.
using TTabChangingEvent = std::function<void(QObject* Sender, bool& AllowChange)>;

// A tab widget whose page changes by the operator can be refused. Every
// route the operator has to another page asks OnChanging first: a click on
// a tab, the mouse wheel over the tabs, the arrow keys on the focused tab
// row, a tab's mnemonic, Ctrl+Tab / Ctrl+Shift+Tab and Ctrl+PgDn / Ctrl+PgUp
// anywhere inside the control. A refused change leaves the page as it is and
// raises nothing more; an allowed one changes the page and then raises
// OnChange. A page set by the program (setCurrentIndex) raises neither.
class TPageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TPageControl(QWidget* parent = nullptr);

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

    // The operator asks for page `index`. Nothing happens for the current
    // page, a page that does not exist or a disabled one. Returns whether
    // the page changed.
    bool RequestPage(int index);

    // The enabled page `step` pages away from the current one, wrapping
    // around the ends, as the keyboard cycles through pages; the current
    // page when there is no other.
    int CyclePage(int step) const;

protected:
    // The cycling keys when they reach the control as key presses (their
    // shortcuts did not take them).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddCyclingKey(const QKeySequence& keys, int step);
};

// The tab row of TPageControl: its own ways of changing the page are turned
// into requests to the control.
class TPageTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TPageTabBar(TPageControl* control);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The next enabled tab `step` tabs away, not wrapping; -1 when none.
    int NextEnabledTab(int step) const;

    TPageControl* Control_;
    QPoint WheelAccumulated_;
};
