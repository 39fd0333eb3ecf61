#include "form_fixture.h"
#include "operator_dialogs.h"
#include "rt_edit_base.h"
#include "relay_board.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include <stdexcept>

namespace {

QString CaptionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
}

}  // namespace

TEST(FormStartup, WindowOpensOnSetupWithStatusUndefined)
{
    FormFixture f;
    EXPECT_EQ(f.form.windowTitle(), "Dilutra");
    // The design size where the screen has room (the test's screen may be
    // smaller): the schematic, the readout and the report side by side.
    const QSize room = f.form.screen()->availableGeometry().size();
    EXPECT_EQ(f.form.size(), QSize(std::min(1344, room.width()), std::min(828, room.height())));
    ASSERT_EQ(f.form.PageControl1->count(), 5);
    const char* pages[] = {"Setup", "Operation", "Output", "Debug", "Plot"};
    const char* names[] = {"Setup", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.form.PageControl1->tabText(i), pages[i]);
        EXPECT_EQ(f.form.PageControl1->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(f.form.PageControl1->currentIndex(), 0);
    EXPECT_EQ(f.form.LabelStatus->text(), "Undefined");
    EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Unknown);
    EXPECT_EQ(f.form.Core().State.MixerStateOld, TMixerState::Unknown);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(FormStartup, ControlsCarryTheirNamesCaptionsAndPositions)
{
    FormFixture f;
    struct Case {
        const char* name;
        QString caption;
        QRect geometry;  // empty: position only checked through x, y
    };
    const Case cases[] = {
        {"GroupBox1", "1. List ports", {3, 3, 262, 62}},
        {"ButtonSetupFindPorts", "Find ports", {11, 22, 238, 25}},
        {"GroupBox2", "2. Select ports", {3, 71, 262, 394}},
        {"Label1", "Port for Solenoid control", {11, 19, 0, 0}},
        {"ListBoxPortSolenoid", "", {11, 38, 116, 307}},
        {"Label2", "Port for MFC control", {139, 19, 0, 0}},
        {"ListBoxPortMFC", "", {139, 38, 110, 307}},
        {"GroupBox3", "3. Validate", {271, 3, 266, 462}},
        {"ButtonSetupValidate", "Validate ports && equipment", {11, 22, 246, 25}},
        {"Label3", "Feedback", {11, 87, 0, 0}},
        {"MemoSetupFeedback", "", {11, 106, 246, 306}},
        {"GroupBox4", "4. Select operating gases", {543, 3, 321, 334}},
        {"Label7", "Click each list box and and wait few seconds", {11, 27, 0, 0}},
        {"Label5", "Gas A, to be diluted", {11, 87, 0, 0}},
        {"ListBoxSetupGas1", "", {11, 106, 134, 207}},
        {"Label6", "Gas B, diluting", {163, 87, 0, 0}},
        {"ListBoxSetupGas2", "", {163, 106, 134, 207}},
        {"GroupBox5", "5. Conclusion", {543, 343, 321, 122}},
        {"CheckBoxSolenoidOK", "Solenoid control is OK", {16, 24, 0, 0}},
        {"CheckBoxMFCOK", "MFC control is OK", {16, 47, 0, 0}},
        {"CheckBoxGasesSelected", "Gases are selected", {16, 70, 0, 0}},
        {"Label4", "Proceed to Operation tab when all 3 are checked", {11, 93, 0, 0}},
        {"Image1", "", {3, 3, 998, 318}},
        {"GroupBox7", "Flow program", {5, 327, 332, 383}},
        {"Memo3", "", {2, 15, 327, 34}},
        {"GroupBox9", "Fractions ppm", {16, 39, 272, 154}},
        {"Label10", "Gas A", {73, 24, 0, 0}},
        {"Label11", "Gas B", {74, 51, 0, 0}},
        {"Label12", "H2O", {80, 78, 0, 0}},
        {"Label8", "pH2O (atm)", {45, 126, 0, 0}},
        {"GroupBox8", "Operating status", {343, 327, 258, 221}},
        {"Label9", "Mixer status:", {14, 24, 0, 0}},
        {"LabelStatus", "Undefined", {83, 24, 0, 0}},
        {"ButtonStop", "Stop", {14, 51, 79, 30}},
        {"ButtonFlush", "Flush", {14, 87, 79, 30}},
        {"ButtonBypass", "Bypass", {14, 123, 79, 30}},
        {"ButtonDilution", "Dilution", {14, 159, 79, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* w = f.form.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr);
        if (!c.caption.isEmpty()) {
            EXPECT_EQ(CaptionOf(w), c.caption);
        }
        EXPECT_EQ(w->pos(), c.geometry.topLeft());
        if (c.geometry.width() > 0) {
            EXPECT_EQ(w->size(), c.geometry.size());
        }
    }
    EXPECT_EQ(f.form.findChild<QPlainTextEdit*>("Memo3")->toPlainText(),
              "Creates desired mixture at desired flow and keeps it indefinitely.");
}

TEST(FormStartup, GasListsHoldTheirItemsAndNothingIsSelected)
{
    FormFixture f;
    ASSERT_EQ(f.form.ListBoxSetupGas1->count(), 2);
    EXPECT_EQ(f.form.ListBoxSetupGas1->item(0)->text(), "O2");
    EXPECT_EQ(f.form.ListBoxSetupGas1->item(1)->text(), "5%H2,95%Ar");
    ASSERT_EQ(f.form.ListBoxSetupGas2->count(), 2);
    EXPECT_EQ(f.form.ListBoxSetupGas2->item(0)->text(), "Ar");
    EXPECT_EQ(f.form.ListBoxSetupGas2->item(1)->text(), "N2");
    for (QListWidget* l :
         {f.form.ListBoxSetupGas1, f.form.ListBoxSetupGas2, f.form.ListBoxPortSolenoid, f.form.ListBoxPortMFC}) {
        EXPECT_EQ(l->currentRow(), -1) << l->objectName().toStdString();
        EXPECT_EQ(l->selectionMode(), QAbstractItemView::SingleSelection);
    }
    EXPECT_EQ(f.form.ListBoxPortSolenoid->count(), 0);
}

TEST(FormStartup, MarksAreClearAndOnlyTheProgramCanSetThem)
{
    FormFixture f;
    for (QCheckBox* c : {f.form.CheckBoxSolenoidOK, f.form.CheckBoxMFCOK, f.form.CheckBoxGasesSelected}) {
        EXPECT_FALSE(c->isChecked());
        EXPECT_FALSE(c->isEnabled());
    }
}

TEST(FormStartup, StateButtonsShowTheirHintsWrappedToAReadableWidth)
{
    FormFixture f;
    auto hint = [](QPushButton* b) { return QTextDocumentFragment::fromHtml(b->toolTip()).toPlainText(); };
    EXPECT_TRUE(hint(f.form.ButtonStop).startsWith("Stops whatever the mixer is doing"));
    EXPECT_TRUE(hint(f.form.ButtonStop).endsWith("in case of emergency."));
    EXPECT_TRUE(hint(f.form.ButtonFlush).startsWith("Short procedure to remove"));
    EXPECT_EQ(hint(f.form.ButtonBypass), "Switch immediately from diluted mixture to pure, dry gas B.");
    EXPECT_EQ(hint(f.form.ButtonDilution), "Create mixture according user wishes.");

    // The longest hint, shown, is a block of lines rather than one line
    // across the screen.
    f.form.show();
    QToolTip::showText(f.form.ButtonStop->mapToGlobal(QPoint(5, 5)), f.form.ButtonStop->toolTip(), f.form.ButtonStop);
    QLabel* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "qtooltip_label" && w->isVisible())
            tip = static_cast<QLabel*>(w);
    }
    ASSERT_NE(tip, nullptr);
    EXPECT_LT(tip->width(), 500);
    EXPECT_GE(tip->height(), 3 * tip->fontMetrics().height());
    QToolTip::hideText();
}

TEST(FormStartup, ReportMemosAreFixedPitch)
{
    FormFixture f;
    for (QPlainTextEdit* m : {f.form.Memo4, f.form.MemoSetupFeedback, f.form.MemoDevFeedback}) {
        SCOPED_TRACE(m->objectName().toStdString());
        EXPECT_TRUE(QFontInfo(m->font()).fixedPitch()) << QFontInfo(m->font()).family().toStdString();
        EXPECT_EQ(m->font().pointSize(), 8);
        EXPECT_TRUE(m->toPlainText().isEmpty());
    }
    EXPECT_EQ(f.form.font().pointSize(), 8);
}

TEST(FormStartup, WaterIsLookedUpAndTheSchematicIsShown)
{
    FormFixture f;
    EXPECT_EQ(f.form.Core().State.H2OC.Name, "H2O");
    EXPECT_EQ(f.form.Core().State.H2OC.MolarMass, 18.01528f);
    EXPECT_EQ(f.form.Schematic.size(), QSize(998, 315));
    ASSERT_FALSE(f.form.Image1->pixmap().isNull());
    EXPECT_EQ(f.form.Image1->pixmap().size(), QSize(998, 315));
}

TEST(FormStartup, TimerTicksEveryQuarterSecondFromCreation)
{
    FormFixture f;
    EXPECT_TRUE(f.form.Timer1->isActive());
    EXPECT_EQ(f.form.Timer1->interval(), 250);
}

TEST(FormStartup, TicksInUnknownChangeNothing)
{
    FormFixture f;
    const QImage before = f.form.Schematic;
    for (int i = 0; i < 8; ++i) {
        f.form.Timer1Timer();
        f.clock.advanceMs(250);
    }
    EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Unknown);
    EXPECT_EQ(f.form.Core().State.MixerStateOld, TMixerState::Unknown);
    EXPECT_EQ(f.form.Core().State.DataStoredLast, 0.0);
    EXPECT_EQ(f.form.LabelStatus->text(), "Undefined");
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().isEmpty());
    EXPECT_TRUE(f.form.Memo4->toPlainText().isEmpty());
    EXPECT_EQ(f.form.Schematic, before);
    EXPECT_TRUE(f.clock.sleeps().empty()) << "a tick in Unknown must not wait on any device";
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(FormErrors, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    FormFixture f;
    int after = 0;
    f.form.Guarded([] { throw std::runtime_error("File already exists. Cannot overwrite."); });
    f.form.Guarded([&] { ++after; });
    ASSERT_EQ(f.dialogs.Errors.size(), 1);
    EXPECT_EQ(f.dialogs.Errors[0], "File already exists. Cannot overwrite.");
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(f.form.Timer1->isActive());
}

TEST(FormErrors, TheRealErrorBoxIsModalAndShowsTheMessage)
{
    // The real dialogs: the box must appear with the message and return once
    // the operator presses OK.
    TQtDialogs dialogs;
    QString seen;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = box->text();
        modal = box->isModal();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.ShowError(nullptr, QStringLiteral("Molar mass could not be found"));
    EXPECT_EQ(seen, "Molar mass could not be found");
    EXPECT_TRUE(modal);
}

TEST(FormMemos, AMemoFollowsItsNewestLineUnlessScrolledBack)
{
    FormFixture f;
    f.form.show();
    f.form.PageControl1->setCurrentIndex(3);
    QPlainTextEdit* memo = f.form.MemoDevFeedback;
    QScrollBar* bar = memo->verticalScrollBar();
    for (int i = 0; i < 300; ++i)
        TForm1::AddMemoLine(memo, QString("line %1").arg(i));
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);  // the operator reads back
    TForm1::AddMemoLine(memo, "one more");
    EXPECT_EQ(bar->value(), 10);
}

TEST(FormStartup, LongTextsAreShownWholeAndEveryFieldIsNamed)
{
    FormFixture f;
    f.form.show();

    // The validation verdict wraps inside the feedback memo.
    TForm1::AddMemoLine(f.form.MemoSetupFeedback, RelayBoardNotOk);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.form.MemoSetupFeedback->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(f.form.MemoSetupFeedback->document()->firstBlock().layout()->lineCount(), 1);

    // The longest status, a flush step, fits its label inside the box.
    QLabel* status = f.form.LabelStatus;
    status->setText("Flush bubbler and chambers (5 sec)");
    const QString longest = status->text();
    const QRect needed = status->fontMetrics().boundingRect(QRect(0, 0, status->width(), 1000),
                                                            status->wordWrap() ? Qt::TextWordWrap : 0, longest);
    EXPECT_LE(needed.width(), status->width());
    EXPECT_LE(needed.height(), status->height());
    EXPECT_LE(status->geometry().right(), f.form.GroupBox8->width());
    EXPECT_LE(status->geometry().bottom(), f.form.ButtonStop->geometry().top());

    // Lists and fields are told apart by their labels' names.
    QStringList names;
    for (QWidget* w : f.form.findChildren<QWidget*>()) {
        if (qobject_cast<QListWidget*>(w) || qobject_cast<TRtEditBase*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
            names << w->accessibleName();
        }
    }
    EXPECT_EQ(names.size(), 8);
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 8);
    EXPECT_EQ(f.form.ListBoxPortMFC->accessibleName(), "Port for MFC control");
}
