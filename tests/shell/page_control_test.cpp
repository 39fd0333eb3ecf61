#include "page_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPointingDevice>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>
#include <vector>

namespace {

// Four pages in an active window, the second page holding a list that can
// take the focus. The gate's answer is chosen by the test; every request
// and every change notice is recorded with the page current at that moment.
struct PageHost {
    QWidget window;
    TPageControl* pages = nullptr;
    QListWidget* list = nullptr;
    bool allow = true;
    std::vector<int> asked;    // page current when the gate was asked
    std::vector<int> changed;  // page current when the change was announced

    explicit PageHost(const QStringList& captions = {"Setup", "Operation", "Output", "Debug"})
    {
        window.resize(600, 300);
        auto* layout = new QVBoxLayout(&window);
        pages = new TPageControl(&window);
        layout->addWidget(pages);
        for (const QString& caption : captions) {
            auto* page = new QWidget;
            pages->addTab(page, caption);
        }
        list = new QListWidget(pages->widget(1));
        list->addItems({"one", "two", "three"});
        list->setGeometry(5, 5, 100, 100);
        pages->OnChanging = [this](QObject* sender, bool& AllowChange) {
            EXPECT_EQ(sender, pages);
            asked.push_back(pages->currentIndex());
            AllowChange = allow;
        };
        pages->OnChange = [this](QObject* sender) {
            EXPECT_EQ(sender, pages);
            changed.push_back(pages->currentIndex());
        };
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            ADD_FAILURE() << "the test window did not become active";
    }

    QTabBar* bar() const { return pages->tabBar(); }

    void SetPageQuietly(int index)
    {
        pages->setCurrentIndex(index);
        asked.clear();
        changed.clear();
    }

    // One notch of a mouse wheel over the tab row; positive turns up.
    void Wheel(int angle)
    {
        const QPointF at = bar()->tabRect(0).center();
        QWheelEvent e(at, bar()->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false, Qt::MouseEventNotSynthesized, QPointingDevice::primaryPointingDevice());
        QApplication::sendEvent(bar(), &e);
    }
};

struct Route {
    const char* name;
    int from;  // the page shown before
    int to;    // the page the route asks for
    std::function<void(PageHost&)> act;
};

std::vector<Route> Routes()
{
    auto click = [](int tab) {
        return [tab](PageHost& h) { QTest::mouseClick(h.bar(), Qt::LeftButton, {}, h.bar()->tabRect(tab).center()); };
    };
    auto keyOnBar = [](Qt::Key key) {
        return [key](PageHost& h) {
            h.bar()->setFocus();
            QTest::keyClick(h.bar(), key);
        };
    };
    // A cycling key pressed while a control inside a page has the focus.
    auto keyInPage = [](Qt::Key key, Qt::KeyboardModifiers mods) {
        return [key, mods](PageHost& h) {
            QWidget* target = h.pages->currentIndex() == 1 ? static_cast<QWidget*>(h.list) : h.bar();
            target->setFocus();
            QTest::keyClick(target, key, mods);
        };
    };
    return {
        {"click on a later tab", 0, 2, click(2)},
        {"click on an earlier tab", 3, 1, click(1)},
        {"wheel turned down", 0, 1, [](PageHost& h) { h.Wheel(-120); }},
        {"wheel turned up", 2, 1, [](PageHost& h) { h.Wheel(120); }},
        {"right arrow on the tabs", 0, 1, keyOnBar(Qt::Key_Right)},
        {"left arrow on the tabs", 2, 1, keyOnBar(Qt::Key_Left)},
        {"Ctrl+Tab", 1, 2, keyInPage(Qt::Key_Tab, Qt::ControlModifier)},
        {"Ctrl+Tab at the last page", 3, 0, keyInPage(Qt::Key_Tab, Qt::ControlModifier)},
        {"Ctrl+Shift+Tab", 1, 0, keyInPage(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier)},
        {"Ctrl+Shift+Tab as backtab", 1, 0, keyInPage(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier)},
        {"Ctrl+Shift+Tab at the first page", 0, 3, keyInPage(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier)},
        {"Ctrl+PgDn", 1, 2, keyInPage(Qt::Key_PageDown, Qt::ControlModifier)},
        {"Ctrl+PgUp", 1, 0, keyInPage(Qt::Key_PageUp, Qt::ControlModifier)},
    };
}

}  // namespace

TEST(PageControl, EveryRouteAsksTheGateAndARefusalKeepsThePage)
{
    for (const Route& route : Routes()) {
        SCOPED_TRACE(route.name);
        PageHost h;
        h.SetPageQuietly(route.from);
        h.allow = false;
        route.act(h);
        EXPECT_EQ(h.asked, std::vector<int>{route.from});
        EXPECT_EQ(h.pages->currentIndex(), route.from);
        EXPECT_EQ(h.bar()->currentIndex(), route.from);
        EXPECT_TRUE(h.changed.empty());
    }
}

TEST(PageControl, EveryRouteAllowedChangesThePageAndAnnouncesItOnce)
{
    for (const Route& route : Routes()) {
        SCOPED_TRACE(route.name);
        PageHost h;
        h.SetPageQuietly(route.from);
        h.allow = true;
        route.act(h);
        EXPECT_EQ(h.asked, std::vector<int>{route.from});
        EXPECT_EQ(h.pages->currentIndex(), route.to);
        // The notice comes after the change, on the new page.
        EXPECT_EQ(h.changed, std::vector<int>{route.to});
    }
}

TEST(PageControl, ThePageSetByTheProgramRaisesNeitherEvent)
{
    PageHost h;
    h.allow = false;
    for (int page : {2, 1, 3, 0}) {
        h.pages->setCurrentIndex(page);
        EXPECT_EQ(h.pages->currentIndex(), page);
    }
    h.pages->setCurrentWidget(h.pages->widget(2));
    EXPECT_EQ(h.pages->currentIndex(), 2);
    EXPECT_TRUE(h.asked.empty());
    EXPECT_TRUE(h.changed.empty());
}

TEST(PageControl, NoRequestForThePageShownOrADisabledOne)
{
    PageHost h;
    h.pages->setTabEnabled(1, false);

    // A click on the current tab, the wheel and the arrow at the ends of
    // the row ask nothing.
    QTest::mouseClick(h.bar(), Qt::LeftButton, {}, h.bar()->tabRect(0).center());
    h.Wheel(120);
    h.bar()->setFocus();
    QTest::keyClick(h.bar(), Qt::Key_Left);
    QTest::mouseClick(h.bar(), Qt::LeftButton, {}, h.bar()->tabRect(1).center());
    EXPECT_TRUE(h.asked.empty());
    EXPECT_EQ(h.pages->currentIndex(), 0);

    // Stepping passes over the disabled page.
    QTest::keyClick(h.bar(), Qt::Key_Right);
    EXPECT_EQ(h.pages->currentIndex(), 2);
    QTest::keyClick(h.bar(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h.pages->currentIndex(), 0);
    EXPECT_EQ(h.changed, (std::vector<int>{2, 0}));
}

TEST(PageControl, ACaptionMnemonicAsksTheGate)
{
    PageHost h({"&Setup", "&Operation", "O&utput", "&Debug"});
    h.allow = false;
    QTest::keyClick(h.bar(), Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(h.asked, std::vector<int>{0});
    EXPECT_EQ(h.pages->currentIndex(), 0);
    h.allow = true;
    QTest::keyClick(h.bar(), Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(h.pages->currentIndex(), 2);
    EXPECT_EQ(h.changed, std::vector<int>{2});
}
