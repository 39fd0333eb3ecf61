#include "form_fixture.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

TEST(OperationFields, ConcentrationFieldsCarryTheirLimitsAndStartValues)
{
    FormFixture f;
    struct Case {
        const char* name;
        TRtIntegerEdit* edit;
        QPoint pos;
        int min, max, value, maxLength;
        bool enabled;
    };
    const Case cases[] = {
        {"RtIntegerEditGasAPPM", f.form.RtIntegerEditGasAPPM, {107, 16}, 0, 1000000, 150, 0, true},
        {"RtIntegerEditGasBPPM", f.form.RtIntegerEditGasBPPM, {107, 43}, 0, 0, 999850, 0, false},
        {"RtIntegerEditH2Oppm", f.form.RtIntegerEditH2Oppm, {107, 70}, 0, 35000, 0, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.edit, nullptr);
        EXPECT_EQ(f.form.findChild<TRtIntegerEdit*>(QString::fromLatin1(c.name)), c.edit);
        EXPECT_EQ(c.edit->parentWidget(), f.form.GroupBox9);
        EXPECT_EQ(c.edit->geometry(), QRect(c.pos, QSize(121, 21)));
        EXPECT_EQ(c.edit->MinValue(), c.min);
        EXPECT_EQ(c.edit->MaxValue(), c.max);
        EXPECT_EQ(c.edit->Value(), c.value);
        EXPECT_EQ(c.edit->text(), QString::number(c.value));
        EXPECT_EQ(c.edit->MaxLength(), c.maxLength);
        EXPECT_EQ(c.edit->isEnabled(), c.enabled);
        EXPECT_TRUE(c.edit->OnValueChanged);
    }
    // The handler is attached after configuration: setting the fields up
    // read no bubbler, stopped nothing and planned nothing.
    EXPECT_TRUE(f.relay.commands().empty());
    EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Unknown);
    EXPECT_TRUE(f.form.Memo4->toPlainText().isEmpty());
}

TEST(OperationFields, VapourPressureFieldShowsNumbersAndCannotBeTypedInto)
{
    FormFixture f;
    TRtDoubleEdit* e = f.form.RtIntegerEditpH2O;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(f.form.findChild<TRtDoubleEdit*>("RtIntegerEditpH2O"), e);
    EXPECT_EQ(e->parentWidget(), f.form.GroupBox9);
    EXPECT_EQ(e->geometry(), QRect(107, 124, 121, 21));
    EXPECT_FALSE(e->isEnabled());
    EXPECT_FALSE(e->AsDateTime());
    EXPECT_FALSE(e->AsTimeSpan());
    EXPECT_TRUE(e->DoHashes());
    EXPECT_EQ(e->MinValue(), 0.0);
    EXPECT_EQ(e->MaxValue(), 0.0);
    EXPECT_EQ(e->Value(), 0.0);
    EXPECT_EQ(e->text(), "0");
    EXPECT_FALSE(e->OnValueChanged);

    // A value whose full text is wider than the field is shortened to fit,
    // not hidden.
    const double v = 1.0 / 3000.0;
    const QString full = QStringLiteral("0.000333333333333333");
    ASSERT_GT(e->fontMetrics().horizontalAdvance(full), e->WinWidth() + 2);
    e->SetValue(v);
    EXPECT_TRUE(e->text().startsWith("0.000333")) << e->text().toStdString();
    EXPECT_LT(e->text().size(), full.size());
    EXPECT_LE(e->fontMetrics().horizontalAdvance(e->text()), e->WinWidth() + 2);
    EXPECT_EQ(e->Value(), v);
}

// The program's table: a click anywhere in a Flush cell toggles it, and no
// click scrolls the table sideways or hides a digit, also with enough steps
// for a vertical scroll bar.
TEST(OperationFields, AClickAnywhereInAFlushCellTogglesItAndNothingScrolls)
{
    FormFixture f;
    f.form.show();
    f.form.PageControl1->setCurrentIndex(1);
    QTableWidget* table = f.form.TableFlowProgram;
    f.form.ShowProgram(TFlowProgram(9, TProgramStep{1000000, 35000, 600.0, false}));
    QCoreApplication::processEvents();
    ASSERT_TRUE(table->verticalScrollBar()->isVisible());

    const double across[] = {0.04, 0.5, 0.96, 0.5};  // the last click takes back the one before
    const bool after[] = {true, false, true, false};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QRect cell = table->visualRect(table->model()->index(0, 3));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + static_cast<int>(across[i] * cell.width()), cell.center().y()));
        EXPECT_EQ(table->item(0, 3)->checkState() == Qt::Checked, after[i]);
        EXPECT_EQ(f.form.TableProgram()[0].FlushBefore, after[i]);
        EXPECT_EQ(table->horizontalScrollBar()->value(), 0);
        EXPECT_LE(table->visualRect(table->model()->index(0, 3)).right(), table->viewport()->width());
        const QRect first = table->visualRect(table->model()->index(0, 0));
        EXPECT_GE(first.left(), 0);
        EXPECT_GE(first.width(), table->fontMetrics().horizontalAdvance("1000000") + 6) << "every digit shows";
    }
}
