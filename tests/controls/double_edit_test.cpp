#include "edit_fixture.h"
#include "number_text.h"
#include "rt_double_edit.h"
#include "time_units.h"

#include <functional>

namespace {

using DoubleHost = EditHost<TRtDoubleEdit, double>;
using Values = std::vector<double>;
constexpr double Second = 1.0 / SecondsPerDay;

// Gives the field exactly the room a number text may take to show `text`.
void MakeRoomFor(TRtDoubleEdit* e, const QString& text)
{
    const int roomWanted = e->fontMetrics().horizontalAdvance(text);
    const int room = e->WinWidth() + 2;
    e->resize(e->width() + roomWanted - room, e->height());
    ASSERT_EQ(e->WinWidth() + 2, roomWanted);
}

}  // namespace

TEST(DoubleEdit, StartsAtZeroInNumberModeWithHashesAllowed)
{
    DoubleHost h;
    EXPECT_EQ(h.edit->text(), "0");
    EXPECT_EQ(h.edit->Value(), 0.0);
    EXPECT_FALSE(h.edit->AsDateTime());
    EXPECT_FALSE(h.edit->AsTimeSpan());
    EXPECT_TRUE(h.edit->DoHashes());
    EXPECT_EQ(h.edit->DecimalPlaces(), -1);
    EXPECT_TRUE(h.edit->Format().isEmpty());
    EXPECT_EQ(h.edit->WinWidth(), h.edit->TRtEditBase::WinWidth() - 5);
}

TEST(DoubleEdit, NumbersShortenBeforeTheyTurnIntoHashes)
{
    const double v = 1 / 32.123;
    struct Case {
        const char* name;
        std::function<void(TRtDoubleEdit*)> size;
        bool doHashes;
        QString text;
    };
    const Case cases[] = {
        {"wide field: fifteen digits", [](TRtDoubleEdit* e) { e->resize(400, 21); }, true, "0.0311303427450736"},
        {"room for ten characters", [](TRtDoubleEdit* e) { MakeRoomFor(e, "0.03113034"); }, true, "0.03113034"},
        {"one pixel less",
         [](TRtDoubleEdit* e) {
             MakeRoomFor(e, "0.03113034");
             e->resize(e->width() - 1, e->height());
         },
         true, "0.0311303"},
        {"too narrow, hashes allowed", [](TRtDoubleEdit* e) { e->resize(12, 21); }, true, Hashes},
        {"too narrow, no hashes: shortest form", [](TRtDoubleEdit* e) { e->resize(12, 21); }, false, "0.031"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubleHost h;
        h.edit->SetDoHashes(c.doHashes);
        c.size(h.edit);
        h.edit->SetValue(v);
        EXPECT_EQ(h.edit->text(), c.text);
        EXPECT_EQ(h.edit->LastValid(), "0.0311303427450736") << "the full text is kept for re-entry";
        EXPECT_EQ(h.edit->Value(), v);
    }
}

TEST(DoubleEdit, ProgramValuesShowInTheGeneralFormat)
{
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0.00005, "5E-5"}, {0.0311302, "0.0311302"}, {1.5e20, "1.5E20"}, {-2.5, "-2.5"}, {1000000, "1000000"},
    };
    DoubleHost h(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        h.edit->SetValue(c.v);
        EXPECT_EQ(h.edit->text(), QString::fromLatin1(c.text));
    }
    h.edit->SetFormat("0.000 000");
    h.edit->SetValue(1.2345678);
    EXPECT_EQ(h.edit->text(), "1.234 568");
}

TEST(DoubleEdit, TypingAcceptsNumbersAndCorrectsOnExit)
{
    struct Case {
        const char* name;
        double min, max;
        QString typed;
        Values whileTyping;
        double valueAfterExit;
        QString textAfterExit;
        int beeps;
        int notifiedOnExit;
    };
    const Case cases[] = {
        {"exponent", 0, 0, "1e3", {1, 1000}, 1000, "1000", 0, 0},
        {"above the limit", 0, 1, "2", {}, 1, "1", 1, 2},
        {"decimals", 0, 10, "2.75", {2, 2, 2.7, 2.75}, 2.75, "2.75", 0, 0},
        {"letters beep", 0, 0, "4x2", {4, 42}, 42, "42", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubleHost h;
        h.edit->SetMinValue(c.min);
        h.edit->SetMaxValue(c.max);
        h.edit->SetValue(0.5);
        h.Record();
        h.Enter();
        h.Clear();
        h.Type(c.typed);
        EXPECT_EQ(h.notified, c.whileTyping);
        h.notified.clear();
        h.Leave();
        EXPECT_EQ(h.edit->Value(), c.valueAfterExit);
        EXPECT_EQ(h.edit->text(), c.textAfterExit);
        EXPECT_EQ(h.beeps.count(), c.beeps);
        EXPECT_EQ(static_cast<int>(h.notified.size()), c.notifiedOnExit);
    }
}

TEST(DoubleEdit, TimeSpanModeShowsAndReadsDurations)
{
    DoubleHost h(300);
    h.edit->SetAsTimeSpan(true);
    struct Shown {
        double v;
        const char* text;
    };
    for (const Shown& s : {Shown{1.5, "1.12:00:00.000"}, Shown{2.0, "2."}, Shown{0.0, ""}}) {
        SCOPED_TRACE(s.text);
        h.edit->SetValue(s.v);
        EXPECT_EQ(h.edit->text(), QString::fromLatin1(s.text));
    }

    struct Typed {
        QString text;
        double value;
        bool acceptedAtTheEnd;
    };
    const Typed typed[] = {
        {"1.12:00:00.000", 1.5, true}, {"1.5", 1 + 5 * Second, true},     {"0:1.5", 1.5 * Second, true},
        {"90", 90 * Second, true},     {"1:2:3:4", 3723 * Second, false},  // the last text read was 1:2:3
    };
    h.Record();
    for (const Typed& t : typed) {
        SCOPED_TRACE(t.text.toStdString());
        h.Enter();
        h.Clear();
        h.notified.clear();
        h.beeps.reset();
        h.Type(t.text);
        EXPECT_EQ(h.beeps.count(), 0) << "separators pass the filter";
        EXPECT_NEAR(h.edit->Value(), t.value, 1e-12);
        ASSERT_FALSE(h.notified.empty());
        EXPECT_EQ(h.edit->LastValid() == t.text, t.acceptedAtTheEnd);
        h.Leave();
    }

    // An emptied field reads as no time at all when it is left.
    h.Enter();
    h.Clear();
    h.Leave();
    EXPECT_EQ(h.edit->Value(), 0.0);
    EXPECT_EQ(h.edit->text(), "");
}

TEST(DoubleEdit, ANegativeTimeSpanShowsErrorAndTypingGoesOn)
{
    struct Case {
        const char* name;
        std::function<void(DoubleHost&)> redisplay;
    };
    const Case cases[] = {
        {"focus exit", [](DoubleHost& h) { h.Leave(); }},
        {"resize",
         [](DoubleHost& h) {
             h.Leave();
             h.edit->resize(200, 21);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubleHost h;
        h.edit->SetAsTimeSpan(true);
        h.Record();
        h.Enter();
        h.Clear();
        h.Type("-1");
        EXPECT_NEAR(h.edit->Value(), -Second, 1e-15) << "with the limits off typing takes a negative span";
        c.redisplay(h);
        EXPECT_EQ(h.edit->text(), "Error");

        h.Enter();
        h.Clear();
        h.notified.clear();
        h.Type("7");
        EXPECT_NEAR(h.edit->Value(), 7 * Second, 1e-15);
        EXPECT_EQ(h.notified.size(), 1u) << "typing must not be ignored after the failed display";
        h.Leave();
        EXPECT_EQ(h.edit->text(), "00:00:07.000");
    }

    DoubleHost h;
    h.edit->SetAsTimeSpan(true);
    h.edit->SetValue(-1);
    EXPECT_EQ(h.edit->text(), "Error");
    h.Enter();
    h.Clear();
    h.Type("5");
    EXPECT_NEAR(h.edit->Value(), 5 * Second, 1e-15);
}

TEST(DoubleEdit, DateTimeModeKeepsToTheDateRange)
{
    DoubleHost h(300);
    h.edit->SetMinValue(-5000000);
    h.edit->SetMaxValue(5000000);
    h.edit->SetAsTimeSpan(true);
    h.Record();
    h.edit->SetAsDateTime(true);
    EXPECT_FALSE(h.edit->AsTimeSpan());
    EXPECT_EQ(h.edit->MinValue(), MinDateTime);
    EXPECT_EQ(h.edit->MaxValue(), MaxDateTime);
    EXPECT_EQ(h.notified.size(), 1u);

    h.edit->SetValue(-1000000);
    EXPECT_EQ(h.edit->Value(), MinDateTime);
    h.edit->SetValue(46365.5);
    EXPECT_EQ(h.edit->text(), "12/9/2026 12:00:00 PM");

    // The operator types a date and time; AM/PM letters, blank, "/" and ":"
    // pass the filter.
    h.Enter();
    h.Clear();
    h.Type("3/1/2027 6:30:00 AM");
    EXPECT_EQ(h.beeps.count(), 0);
    EXPECT_NEAR(h.edit->Value(), 46447.0 + 6.5 / 24, 1e-9);
    h.Leave();
    EXPECT_EQ(h.edit->text(), "3/1/2027 6:30:00 AM");
}

TEST(DoubleEdit, DisplaySettingsRedisplayWithoutNotifying)
{
    DoubleHost h;
    h.edit->resize(12, 21);
    h.edit->SetValue(1 / 32.123);
    h.Record();
    struct Step {
        const char* name;
        std::function<void(TRtDoubleEdit*)> act;
        QString text;
    };
    const Step steps[] = {
        {"hashes as before", [](TRtDoubleEdit* e) { e->SetDoHashes(true); }, Hashes},
        {"hashes off", [](TRtDoubleEdit* e) { e->SetDoHashes(false); }, "0.031"},
        {"same picture as before", [](TRtDoubleEdit* e) { e->SetFormat(""); }, "0.031"},
        {"wider and a picture",
         [](TRtDoubleEdit* e) {
             e->resize(300, 21);
             e->SetFormat("0.00");
         },
         "0.03"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act(h.edit);
        EXPECT_EQ(h.edit->text(), s.text);
    }
    EXPECT_TRUE(h.notified.empty());
}

TEST(DoubleEdit, CommaLocaleTypesAndShowsDecimalCommas)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    DoubleHost h(300);
    h.edit->SetValue(1234.5);
    EXPECT_EQ(h.edit->text(), "1234,5");

    h.Record();
    h.Enter();
    h.Clear();
    h.Type("2,5");
    EXPECT_EQ(h.beeps.count(), 0);
    EXPECT_EQ(h.notified, (Values{2, 2, 2.5}));
    h.Clear();
    h.notified.clear();
    h.Type("3.5");
    EXPECT_EQ(h.notified, (Values{3})) << "a point is no decimal separator here";
    h.Leave();
    EXPECT_EQ(h.edit->text(), "3");

    h.edit->SetAsTimeSpan(true);
    h.edit->SetValue(1.5);
    EXPECT_EQ(h.edit->text(), "1.12:00:00,000");
}
