#include "form_fixture.h"
#include "list_selection.h"
#include "widget_input.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWheelEvent>

#include <functional>

namespace {

const QString GateMessage = "Must validate equipment and select gas types before proceeding to operation";

void SetMarks(TForm1& form, bool solenoid, bool mfc, bool gases)
{
    form.CheckBoxSolenoidOK->setChecked(solenoid);
    form.CheckBoxMFCOK->setChecked(mfc);
    form.CheckBoxGasesSelected->setChecked(gases);
}

void WheelDown(QTabBar* bar)
{
    const QPointF at = bar->tabRect(0).center();
    QWheelEvent e(at, bar->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(bar, &e);
}

}  // namespace

TEST(PageGate, BeforeSetupEveryRouteToEveryPageIsRefused)
{
    FormFixture f;
    ShowActive(f.form);
    QTabBar* bar = f.form.PageControl1->tabBar();
    struct Route {
        const char* name;
        std::function<void()> act;
    };
    const Route routes[] = {
        {"click on Operation", [&] { ClickTab(bar, 1); }},
        {"click on Output", [&] { ClickTab(bar, 2); }},
        {"click on Debug", [&] { ClickTab(bar, 3); }},
        {"click on Plot", [&] { ClickTab(bar, 4); }},
        {"wheel", [&] { WheelDown(bar); }},
        {"arrow key on the tabs",
         [&] {
             bar->setFocus();
             QTest::keyClick(bar, Qt::Key_Right);
         }},
        {"Ctrl+Tab in a gas list",
         [&] {
             f.form.ListBoxSetupGas1->setFocus();
             QTest::keyClick(f.form.ListBoxSetupGas1, Qt::Key_Tab, Qt::ControlModifier);
         }},
        {"Ctrl+Shift+Tab in the feedback memo",
         [&] {
             f.form.MemoSetupFeedback->setFocus();
             QTest::keyClick(f.form.MemoSetupFeedback, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
         }},
        {"Ctrl+PgDn in a port list",
         [&] {
             f.form.ListBoxPortMFC->setFocus();
             QTest::keyClick(f.form.ListBoxPortMFC, Qt::Key_PageDown, Qt::ControlModifier);
         }},
        {"Ctrl+PgUp on the Find ports button",
         [&] {
             f.form.ButtonSetupFindPorts->setFocus();
             QTest::keyClick(f.form.ButtonSetupFindPorts, Qt::Key_PageUp, Qt::ControlModifier);
         }},
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        f.dialogs.Messages.clear();
        route.act();
        EXPECT_EQ(f.dialogs.Messages, QStringList{GateMessage});
        EXPECT_EQ(f.form.PageControl1->currentIndex(), 0);
    }
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(PageGate, OnlyAllThreeMarksOpenTheGate)
{
    for (int marks = 0; marks < 8; ++marks) {
        const bool solenoid = marks & 1, mfc = marks & 2, gases = marks & 4;
        SCOPED_TRACE(marks);
        FormFixture f;
        ShowActive(f.form);
        SetMarks(f.form, solenoid, mfc, gases);
        ClickTab(f.form.PageControl1->tabBar(), 2);
        const bool open = marks == 7;
        EXPECT_EQ(f.form.PageControl1->currentIndex(), open ? 2 : 0);
        EXPECT_EQ(f.dialogs.Messages, open ? QStringList{} : QStringList{GateMessage});
    }
}
