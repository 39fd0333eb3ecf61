#include "clock.h"
#include "day_count.h"
#include "time_picture.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <limits>

#include <QDateTime>

TEST(DayCount, LocalDateTimesMapToDaysSince18991230)
{
    struct Case {
        QDateTime local;
        double days;
    };
    const Case cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1900, 1, 1), QTime(0, 0)), 2.0},
        {QDateTime(QDate(2026, 12, 9), QTime(12, 0)), 46365.5},
        {QDateTime(QDate(2026, 12, 9), QTime(18, 0)), 46365.75},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
        {QDateTime(QDate(1, 1, 1), QTime(0, 0)), -693593.0},
        {QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)), 2958465.0 + 86399.0 / SecondsPerDay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.local.toString(Qt::ISODate).toStdString());
        EXPECT_NEAR(DateTimeToDayCount(c.local), c.days, 1e-9);
        EXPECT_EQ(DayCountToDateTime(c.days), c.local);
    }
}

TEST(DayCount, SplitRoundsToTheMillisecondAndCarries)
{
    const DayParts half = SplitDayCount(10.5);
    EXPECT_EQ(half.days, 10);
    EXPECT_EQ(half.msOfDay, 43200000);

    // 0.4999 ms before midnight rounds up into the next day.
    const DayParts carry = SplitDayCount(3.0 + (MsPerDay - 0.4) / MsPerDay);
    EXPECT_EQ(carry.days, 4);
    EXPECT_EQ(carry.msOfDay, 0);

    // Before day 0 the fraction still counts forward from midnight, so a
    // carry moves to the next calendar day there too: -0.9999999999 is
    // 1899-12-30 23:59:59.99999, which rounds to 1899-12-31 00:00.
    EXPECT_EQ(DayCountToDateTime(-0.9999999999), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
    EXPECT_EQ(DayCountToDateTime(-1.9999999999), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));

    // Counts no 64-bit day number holds (found by fuzzing the time pictures).
    for (double huge : {1e300, -std::numeric_limits<double>::max()}) {
        const DayParts far = SplitDayCount(huge);
        EXPECT_EQ(far.days, huge > 0 ? 1000000000000000LL : -1000000000000000LL);
        EXPECT_EQ(far.msOfDay, 0);
        EXPECT_EQ(FormatDayCount(QStringLiteral("hh:nn:ss.zzz"), huge), "00:00:00.000");
    }
}

TEST(FakeClock, SleepsAdvanceTimeAndAreRecordedInOrder)
{
    FakeClock clock(100.0);
    EXPECT_DOUBLE_EQ(clock.now(), 100.0);
    clock.sleepMs(2000);
    clock.sleepMs(5000);
    clock.sleepMs(2000);
    EXPECT_EQ(clock.sleeps(), (std::vector<unsigned>{2000, 5000, 2000}));
    EXPECT_EQ(clock.sleptMs(), 9000u);
    EXPECT_NEAR((clock.now() - 100.0) * SecondsPerDay, 9.0, 1e-6);

    clock.advanceMs(250);
    clock.deviceWaitMs(20.5);
    EXPECT_EQ(clock.sleeps().size(), 3u) << "advancing and device time are not the program's sleeps";
    EXPECT_NEAR((clock.now() - 100.0) * SecondsPerDay, 9.2705, 1e-6);
}

TEST(FakeClock, MillionsOfSmallSleepsDoNotDrift)
{
    FakeClock clock(46365.0);
    for (int i = 0; i < 1000000; ++i)
        clock.advanceMs(1);
    // 1000 s exactly; a clock that added day fractions would drift here.
    EXPECT_NEAR((clock.now() - 46365.0) * SecondsPerDay, 1000.0, 1e-5);
}

TEST(FakeClock, WallClockShiftLeavesDurationsAlone)
{
    FakeClock clock(46365.0);
    const double start = clock.now();
    clock.sleepMs(1000);
    clock.shiftWallClockHours(-1.0);  // clocks go back at the end of summer time
    clock.sleepMs(1000);
    EXPECT_NEAR((clock.now() - start) * SecondsPerDay, 2.0, 1e-6);
    EXPECT_NEAR((clock.wallNow() - clock.now()) * 24.0, -1.0, 1e-9);
}

TEST(RealClock, StartsAtLocalTimeAndNeverRunsBackwards)
{
    RealClock clock;
    EXPECT_NEAR(clock.now(), clock.wallNow(), 2.0 / SecondsPerDay);
    double last = clock.now();
    for (int i = 0; i < 1000; ++i) {
        const double t = clock.now();
        ASSERT_GE(t, last);
        last = t;
    }
    const double before = clock.now();
    clock.sleepMs(20);
    EXPECT_GE((clock.now() - before) * MsPerDay, 19.0);
}
