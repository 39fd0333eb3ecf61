#include "edit_fixture.h"
#include "number_text.h"
#include "rt_integer_edit.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QGuiApplication>

#include <stdexcept>

namespace {

using IntegerHost = EditHost<TRtIntegerEdit, int>;
using Values = std::vector<int>;

void Configure(TRtIntegerEdit* e, int min, int max, int value, int maxLength = 0)
{
    e->SetMinValue(min);
    e->SetMaxValue(max);
    e->SetValue(value);
    e->SetMaxLength(maxLength);
}

}  // namespace

TEST(IntegerEdit, StartsAtZeroWithTheLimitsOff)
{
    IntegerHost h;
    EXPECT_EQ(h.edit->text(), "0");
    EXPECT_EQ(h.edit->LastValid(), "0");
    EXPECT_EQ(h.edit->Value(), 0);
    EXPECT_EQ(h.edit->MinValue(), 0);
    EXPECT_EQ(h.edit->MaxValue(), 0);
    EXPECT_EQ(h.edit->MaxLength(), 0);
    EXPECT_GT(h.edit->WinWidth(), 0);
    EXPECT_LT(h.edit->WinWidth(), h.edit->width()) << "the text area lies inside the frame";
}

TEST(IntegerEdit, TypingAcceptsEveryValidInRangeTextAndCorrectsOnExit)
{
    struct Case {
        const char* name;
        int min, max, maxLength;
        QString typed;
        Values whileTyping;
        int valueAfterExit;
        QString textAfterExit;
        int beepsOnExit;
        Values notifiedOnExit;
    };
    const Case cases[] = {
        {"gas A 150", 0, 1000000, 0, "150", {1, 15, 150}, 150, "150", 0, {}},
        {"water above its limit", 0, 35000, 5, "40000", {4, 40, 400, 4000}, 35000, "35000", 1, {35000, 35000}},
        {"water cut at five characters", 0, 35000, 5, "123456", {1, 12, 123, 1234, 12345}, 12345, "12345", 0, {}},
        {"below the lower limit", -10, 10, 0, "-50", {-5}, -10, "-10", 1, {-10, -10}},
        {"limits off take anything",
         0,
         0,
         0,
         "-2000000",
         {-2, -20, -200, -2000, -20000, -200000, -2000000},
         -2000000,
         "-2000000",
         0,
         {}},
        {"a misplaced minus is no number", 0, 100, 0, "1-2", {1}, 1, "1", 0, {}},
        {"beyond 32 bits is no number",
         0,
         0,
         0,
         "99999999999",
         {9, 99, 999, 9999, 99999, 999999, 9999999, 99999999, 999999999},
         999999999,
         "999999999",
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IntegerHost h(400);
        Configure(h.edit, c.min, c.max, 0, c.maxLength);
        h.Record();
        h.Enter();
        h.Clear();
        h.Type(c.typed);
        EXPECT_EQ(h.notified, c.whileTyping);
        EXPECT_EQ(h.beeps.count(), 0);
        h.notified.clear();
        h.Leave();
        EXPECT_EQ(h.edit->Value(), c.valueAfterExit);
        EXPECT_EQ(h.edit->text(), c.textAfterExit);
        EXPECT_EQ(h.beeps.count(), c.beepsOnExit);
        EXPECT_EQ(h.notified, c.notifiedOnExit);
    }
}

TEST(IntegerEdit, FilterSwallowsWhatCannotFormAnIntegerWithABeep)
{
    struct Case {
        QString typed;
        QString text;
        int beeps;
    };
    const Case cases[] = {
        {"1a2", "12", 1}, {"3.5", "35", 1}, {"x+y", "", 3}, {"7 8", "78", 1}, {"-4", "-4", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        IntegerHost h;
        h.Enter();
        h.Clear();
        EXPECT_EQ(h.beeps.count(), 0) << "select all and Backspace pass the filter";
        h.Type(c.typed);
        EXPECT_EQ(h.edit->text(), c.text);
        EXPECT_EQ(h.beeps.count(), c.beeps);
    }
}

TEST(IntegerEdit, ComposedInputPassesTheSameFilter)
{
    IntegerHost h;
    h.Enter();
    h.Clear();
    struct Case {
        QString commit;
        QString text;
        int beeps;
    };
    const Case cases[] = {{"12", "12", 0}, {"3x", "12", 1}, {"-", "12-", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commit.toStdString());
        QInputMethodEvent composed;
        composed.setCommitString(c.commit);
        QApplication::sendEvent(h.edit, &composed);
        EXPECT_EQ(h.edit->text(), c.text);
        EXPECT_EQ(h.beeps.count(), c.beeps);
    }
}

TEST(IntegerEdit, EnterValidatesThenRaisesDoubleClickAndBeeps)
{
    struct Case {
        QString typed;
        int value;
        int beeps;
        int notifications;
    };
    const Case cases[] = {
        {"250", 250, 1, 3},      // accepted while typing; Enter only beeps
        {"40000", 35000, 2, 6},  // 4, 40, 400, 4000, then the correction twice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        IntegerHost h;
        Configure(h.edit, 0, 35000, 0, 5);
        h.Record();
        int valueAtDblClick = -1;
        h.edit->OnDblClick = [&](QObject* sender) {
            EXPECT_EQ(sender, h.edit);
            valueAtDblClick = h.edit->Value();
            EXPECT_EQ(h.beeps.count(), c.beeps - 1) << "the Enter beep follows the notification";
        };
        h.Enter();
        h.Clear();
        h.Type(c.typed);
        QTest::keyClick(h.edit, Qt::Key_Return);
        EXPECT_EQ(valueAtDblClick, c.value);
        EXPECT_EQ(h.edit->Value(), c.value);
        EXPECT_EQ(h.beeps.count(), c.beeps);
        EXPECT_EQ(static_cast<int>(h.notified.size()), c.notifications);
        EXPECT_TRUE(h.edit->hasFocus());
    }
}

TEST(IntegerEdit, EmptyingTheFieldKeepsTheValueWhileDeletingDigitsNotifiesEach)
{
    IntegerHost h;
    Configure(h.edit, 0, 1000000, 150);
    h.Record();
    h.Enter();
    h.Clear();
    EXPECT_TRUE(h.notified.empty());
    EXPECT_EQ(h.edit->Value(), 150);
    h.Leave();
    EXPECT_EQ(h.edit->text(), "150");
    EXPECT_EQ(h.beeps.count(), 0);
    EXPECT_TRUE(h.notified.empty());

    h.Enter(Qt::MouseFocusReason);
    h.edit->end(false);
    QTest::keyClick(h.edit, Qt::Key_Backspace);
    QTest::keyClick(h.edit, Qt::Key_Backspace);
    QTest::keyClick(h.edit, Qt::Key_Backspace);
    EXPECT_EQ(h.notified, (Values{15, 1}));
    EXPECT_EQ(h.edit->Value(), 1);
    EXPECT_EQ(h.beeps.count(), 0);
}

TEST(IntegerEdit, LeadingZerosAreShownAgainOnReentry)
{
    IntegerHost h;
    Configure(h.edit, 0, 1000000, 150);
    h.Record();
    h.Enter();
    h.Clear();
    h.Type("007");
    EXPECT_EQ(h.edit->Value(), 7);
    EXPECT_EQ(h.edit->LastValid(), "007");
    h.Leave();
    EXPECT_EQ(h.edit->text(), "7");
    h.notified.clear();
    h.Enter();
    EXPECT_EQ(h.edit->text(), "007");
    EXPECT_EQ(h.notified, (Values{7}));
}

TEST(IntegerEdit, HashesStandInOnlyWithoutTheFocus)
{
    IntegerHost h(30);
    ASSERT_GT(h.edit->fontMetrics().horizontalAdvance("123456789"), h.edit->WinWidth());
    h.Record();
    h.edit->SetValue(123456789);
    EXPECT_EQ(h.edit->text(), Hashes);
    EXPECT_EQ(h.edit->text().size(), 45);
    EXPECT_EQ(h.edit->Value(), 123456789);

    h.notified.clear();
    h.Enter();
    EXPECT_EQ(h.edit->text(), "123456789");
    EXPECT_EQ(h.notified, (Values{123456789})) << "entering accepts the shown text again";
    h.edit->SetValue(987654321);
    EXPECT_EQ(h.edit->text(), "987654321") << "no hashes while focused";
    h.Leave();
    EXPECT_EQ(h.edit->text(), Hashes);

    h.edit->resize(400, 21);
    EXPECT_EQ(h.edit->text(), "987654321") << "a wider field shows the digits again";
}

TEST(IntegerEdit, ProgramSetsAndLimitChangesNotifyAsDocumented)
{
    IntegerHost h;
    Configure(h.edit, 0, 1000000, 500);
    h.Record();
    struct Step {
        const char* name;
        std::function<void(TRtIntegerEdit*)> act;
        int value;
        QString text;
        int notifications;
    };
    const Step steps[] = {
        {"same value still notifies", [](TRtIntegerEdit* e) { e->SetValue(500); }, 500, "500", 1},
        {"value clamped to the top", [](TRtIntegerEdit* e) { e->SetValue(2000000); }, 1000000, "1000000", 1},
        {"lower maximum clamps", [](TRtIntegerEdit* e) { e->SetMaxValue(300); }, 300, "300", 1},
        {"unchanged maximum does nothing", [](TRtIntegerEdit* e) { e->SetMaxValue(300); }, 300, "300", 0},
        {"value inside", [](TRtIntegerEdit* e) { e->SetValue(100); }, 100, "100", 1},
        {"raised minimum clamps", [](TRtIntegerEdit* e) { e->SetMinValue(200); }, 200, "200", 1},
        {"maximum at minimum turns limits off", [](TRtIntegerEdit* e) { e->SetMaxValue(200); }, 200, "200", 1},
        {"limits off keep any value", [](TRtIntegerEdit* e) { e->SetValue(-7000000); }, -7000000, "-7000000", 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        h.notified.clear();
        s.act(h.edit);
        EXPECT_EQ(h.edit->Value(), s.value);
        EXPECT_EQ(h.edit->text(), s.text);
        EXPECT_EQ(static_cast<int>(h.notified.size()), s.notifications);
    }
    EXPECT_EQ(h.beeps.count(), 0);
}

TEST(IntegerEdit, CaretSelectionAndSelectAllAreRememberedBetweenVisits)
{
    IntegerHost h;
    h.edit->SetAutoSelect(false);
    h.Enter();
    h.Clear();
    h.Type("12345");
    h.edit->setSelection(1, 3);
    h.Leave();
    EXPECT_EQ(h.edit->cursorPosition(), 0);
    h.Enter(Qt::MouseFocusReason);
    EXPECT_EQ(h.edit->selectedText(), "234");

    h.edit->setCursorPosition(2);
    h.Leave();
    h.Enter(Qt::MouseFocusReason);
    EXPECT_FALSE(h.edit->hasSelectedText());
    EXPECT_EQ(h.edit->cursorPosition(), 2);

    // A value set by the program while the operator is in the field gets
    // all of the text selected at the next visit.
    h.edit->SetValue(42);
    h.Leave();
    h.Enter(Qt::MouseFocusReason);
    EXPECT_EQ(h.edit->selectedText(), "42");
    h.edit->setCursorPosition(1);
    h.Leave();
    h.Enter(Qt::MouseFocusReason);
    EXPECT_FALSE(h.edit->hasSelectedText()) << "only once";
    EXPECT_EQ(h.edit->cursorPosition(), 1);

    h.edit->SetAutoSelect(true);
    h.Leave();
    h.Enter(Qt::TabFocusReason);
    EXPECT_EQ(h.edit->selectedText(), "42");
}

TEST(IntegerEdit, AHandlerMayCorrectTheFieldItHearsFrom)
{
    IntegerHost h;
    Configure(h.edit, 0, 1000000, 0);
    h.edit->OnValueChanged = [&](QObject*) {
        h.notified.push_back(h.edit->Value());
        if (h.edit->Value() > 100)
            h.edit->SetValue(100);
    };
    h.Enter();
    h.Clear();
    h.Type("150");
    EXPECT_EQ(h.notified, (Values{1, 15, 150, 100}));
    EXPECT_EQ(h.edit->text(), "100");
    EXPECT_EQ(h.edit->Value(), 100);
    h.notified.clear();
    h.Type("0");
    EXPECT_EQ(h.notified, (Values{1000, 100})) << "typing goes on after the handler's correction";
    EXPECT_EQ(h.edit->text(), "100");
}

TEST(IntegerEdit, AFailingHandlerNeverLeavesTheField)
{
    IntegerHost h;
    Configure(h.edit, 0, 1000, 5);
    int calls = 0;
    h.edit->OnValueChanged = [&](QObject*) {
        ++calls;
        throw std::runtime_error("handler failed");
    };
    h.Enter();
    h.Clear();
    h.Type("12");
    EXPECT_EQ(h.edit->Value(), 12);
    EXPECT_EQ(calls, 2);
    h.Clear();
    h.Type("5000");
    h.Leave();
    EXPECT_EQ(h.edit->Value(), 1000) << "the correction goes on past a failing notification";

    h.edit->SetValue(77);
    EXPECT_EQ(h.edit->text(), "Error");
    EXPECT_EQ(h.edit->Value(), 77);

    // The field still takes what the operator types.
    h.edit->OnValueChanged = nullptr;
    h.Enter();
    h.Clear();
    h.Type("33");
    EXPECT_EQ(h.edit->Value(), 33);
}

TEST(IntegerEdit, TheLengthLimitHoldsTypingAndPastingButNotTheProgramsTexts)
{
    IntegerHost h;
    Configure(h.edit, 0, 0, 0, 3);
    h.edit->SetValue(123456);
    EXPECT_EQ(h.edit->text(), "123456");
    h.Enter();
    EXPECT_EQ(h.edit->text(), "123456");
    EXPECT_EQ(h.edit->Value(), 123456) << "re-entry must not cut the value";

    h.Clear();
    QGuiApplication::clipboard()->setText("98765");
    QTest::keyClick(h.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(h.edit->text(), "987");
    EXPECT_EQ(h.edit->Value(), 987);
    h.Type("4");
    EXPECT_EQ(h.edit->text(), "987");
    QTest::keyClick(h.edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(h.beeps.count(), 0) << "editing keys pass the filter";
}
