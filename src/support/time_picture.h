#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// A date-time picture applied to a day count (days since 1899-12-30, the
// fraction being the time of day; a duration shows its time-of-day part):
//   "yyyy" year, "yy" two-digit year, "mm" month ("m" without leading zero),
//   "dd" day ("d"), "hh" hours 00-23 ("h"), "nn" minutes ("n"),
//   "ss" seconds ("s"), "zzz" milliseconds ("z").
// "mm" right after an hours field (literals between allowed) means minutes,
// so "hh:mm:ss" is a time of day. Letters are case-insensitive; any other
// character is printed literally. The count is rounded to the millisecond
// first, so 23:59:59.9996 reads as the next day's 00:00:00.000.
class TTimePicture {
public:
    explicit TTimePicture(std::string_view picture);

    void AppendTo(std::string& out, double days) const;
    QString Format(double days) const;

private:
    enum class Field {
        Literal,
        Year4,
        Year2,
        Month,
        Month2,
        Day,
        Day2,
        Hour,
        Hour2,
        Minute,
        Minute2,
        Second,
        Second2,
        Milli,
        Milli3
    };
    struct Token {
        Field field;
        char literal;
    };
    std::vector<Token> tokens_;
    bool needsDate_ = false;
};

// FormatDayCount("yyyy-mm-dd hh_mm", day count) and the like.
QString FormatDayCount(const QString& picture, double days);
