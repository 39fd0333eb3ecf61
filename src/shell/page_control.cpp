#include "page_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QShortcutEvent>
#include <QWheelEvent>

TPageControl::TPageControl(QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new TPageTabBar(this));

    // The cycling keys work wherever the focus is inside the control, also
    // in a list or a memo of a page.
    AddCyclingKey(QKeySequence(Qt::CTRL | Qt::Key_Tab), +1);
    AddCyclingKey(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    AddCyclingKey(QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1);
    AddCyclingKey(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void TPageControl::AddCyclingKey(const QKeySequence& keys, int step)
{
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, step] { RequestPage(CyclePage(step)); });
}

bool TPageControl::RequestPage(int index)
{
    if (index < 0 || index >= count() || index == currentIndex() || !isTabEnabled(index))
        return false;
    bool allowChange = true;
    if (OnChanging)
        OnChanging(this, allowChange);
    if (!allowChange)
        return false;
    setCurrentIndex(index);
    if (OnChange)
        OnChange(this);
    return true;
}

int TPageControl::CyclePage(int step) const
{
    const int pages = count();
    int page = currentIndex();
    if (pages == 0 || page < 0)
        return page;
    for (int pass = 1; pass < pages; ++pass) {
        const int candidate = ((page + pass * step) % pages + pages) % pages;
        if (isTabEnabled(candidate))
            return candidate;
    }
    return page;
}

void TPageControl::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool otherModifier = mods & ~(Qt::ControlModifier | Qt::ShiftModifier);
    int step = 0;
    if (ctrl && !otherModifier) {
        switch (event->key()) {
        case Qt::Key_Tab: step = shift ? -1 : +1; break;
        case Qt::Key_Backtab: step = -1; break;
        case Qt::Key_PageDown: step = shift ? 0 : +1; break;
        case Qt::Key_PageUp: step = shift ? 0 : -1; break;
        default: break;
        }
    }
    if (step == 0) {
        // Never the base class's own Ctrl+Tab: it would change the page
        // without asking.
        event->ignore();
        return;
    }
    event->accept();
    RequestPage(CyclePage(step));
}

TPageTabBar::TPageTabBar(TPageControl* control)
    : QTabBar(control)
    , Control_(control)
{
}

int TPageTabBar::NextEnabledTab(int step) const
{
    for (int index = currentIndex() + step; index >= 0 && index < count(); index += step) {
        if (isTabEnabled(index))
            return index;
    }
    return -1;
}

bool TPageTabBar::event(QEvent* event)
{
    // A tab caption's mnemonic (Alt and the underlined letter).
    if (event->type() == QEvent::Shortcut) {
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        for (int index = 0; index < count(); ++index) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(tabText(index));
            if (!mnemonic.isEmpty() && mnemonic == shortcut->key()) {
                Control_->RequestPage(index);
                return true;
            }
        }
    }
    return QTabBar::event(event);
}

void TPageTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = tabAt(event->position().toPoint());
        if (index >= 0 && index != currentIndex()) {
            event->accept();
            if (isTabEnabled(index))
                Control_->RequestPage(index);
            return;
        }
    }
    QTabBar::mousePressEvent(event);
}

void TPageTabBar::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    if (event->key() == Qt::Key_Left)
        step = isRightToLeft() ? +1 : -1;
    else if (event->key() == Qt::Key_Right)
        step = isRightToLeft() ? -1 : +1;
    if (step == 0) {
        event->ignore();
        return;
    }
    event->accept();
    Control_->RequestPage(NextEnabledTab(step));
}

void TPageTabBar::wheelEvent(QWheelEvent* event)
{
    // A touch pad scrolls the row of tabs (the base class does that and
    // changes no page); a wheel steps one page per notch, towards the first
    // page when turned up, not wrapping.
    if (event->device() && event->device()->capabilities().testFlag(QInputDevice::Capability::PixelScroll)) {
        QTabBar::wheelEvent(event);
        return;
    }
    WheelAccumulated_ += event->angleDelta();
    const int xSteps = WheelAccumulated_.x() / QWheelEvent::DefaultDeltasPerStep;
    const int ySteps = WheelAccumulated_.y() / QWheelEvent::DefaultDeltasPerStep;
    int step = 0;
    if (xSteps > 0 || ySteps > 0)
        step = -1;
    else if (xSteps < 0 || ySteps < 0)
        step = +1;
    event->accept();
    if (step == 0)
        return;
    WheelAccumulated_ = QPoint();
    Control_->RequestPage(NextEnabledTab(step));
}
