#include "time_picture.h"

#include "qt_printers.h"
#include "time_units.h"

#include <gtest/gtest.h>

namespace {

// 2026-12-09 plus a time of day.
double At(int h, int m, int s, int ms = 0)
{
    return 46365.0 + (((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms) / MsPerDay;
}

}  // namespace

TEST(TimePicture, FormatsDayCounts)
{
    struct Case {
        const char* picture;
        double days;
        const char* text;
    };
    const Case cases[] = {
        {"hh:mm:ss", At(10, 5, 7), "10:05:07"},
        {"hh:mm:ss", At(0, 0, 0), "00:00:00"},
        {"hh:mm:ss", At(23, 59, 59, 999), "23:59:59"},  // seconds are not rounded up
        {"hh:nn:ss.zzz", At(10, 5, 7, 250), "10:05:07.250"},
        {"hh:nn:ss.zzz", At(9, 0, 0, 7), "09:00:00.007"},
        {"yyyy-mm-dd hh_mm", At(10, 5, 7), "2026-12-09 10_05"},
        {"yyyy-mm-dd hh_mm", At(23, 59, 0), "2026-12-09 23_59"},
        {"HH:NN:SS", At(13, 14, 15), "13:14:15"},
        // a quarter millisecond before midnight rounds into the next day
        {"yyyy-mm-dd hh_mm", 46365.0 + (MsPerDay - 0.25) / MsPerDay, "2026-12-10 00_00"},
        // a duration shows its time-of-day part
        {"hh:nn:ss", 1.5 + 1.0 / SecondsPerDay, "12:00:01"},
        // before day 0 the time of day still counts forward from midnight
        {"yyyy-mm-dd hh_mm", -1.25, "1899-12-29 06_00"},
        {"yyyy-mm-dd", 2.0, "1900-01-01"},
        // month without "hh" before it stays a month
        {"mm/dd", At(10, 5, 7), "12/09"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(FormatDayCount(QString::fromLatin1(c.picture), c.days), QString::fromLatin1(c.text));
    }
}

TEST(TimePicture, AppendsToBytes)
{
    const TTimePicture picture("hh:mm:ss");
    std::string out;
    picture.AppendTo(out, At(1, 2, 3));
    out += ';';
    picture.AppendTo(out, At(4, 5, 6));
    EXPECT_EQ(out, "01:02:03;04:05:06");
}
