#include "time_picture.h"

#include "day_count.h"

#include <QDate>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// Number of times `c` repeats at the start of `s` (case-insensitive).
std::size_t RunOf(std::string_view s, char c)
{
    std::size_t n = 0;
    while (n < s.size() && std::tolower(static_cast<unsigned char>(s[n])) == c)
        ++n;
    return n;
}

// Decimal digits of `value`, at least `width` of them.
void AppendPadded(std::string& out, long long value, int width)
{
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += buf[--n];
}

}  // namespace

TTimePicture::TTimePicture(std::string_view picture)
{
    bool afterHour = false;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(picture[i])));
        const std::size_t run = RunOf(picture.substr(i), c);
        Field field = Field::Literal;
        std::size_t used = 1;
        switch (c) {
        case 'y':
            field = run >= 4 ? Field::Year4 : Field::Year2;
            used = run >= 4 ? 4 : std::min<std::size_t>(run, 2);
            break;
        case 'm':
            used = std::min<std::size_t>(run, 2);
            if (afterHour)
                field = used == 2 ? Field::Minute2 : Field::Minute;
            else
                field = used == 2 ? Field::Month2 : Field::Month;
            break;
        case 'd':
            used = std::min<std::size_t>(run, 2);
            field = used == 2 ? Field::Day2 : Field::Day;
            break;
        case 'h':
            used = std::min<std::size_t>(run, 2);
            field = used == 2 ? Field::Hour2 : Field::Hour;
            break;
        case 'n':
            used = std::min<std::size_t>(run, 2);
            field = used == 2 ? Field::Minute2 : Field::Minute;
            break;
        case 's':
            used = std::min<std::size_t>(run, 2);
            field = used == 2 ? Field::Second2 : Field::Second;
            break;
        case 'z':
            used = run >= 3 ? 3 : 1;
            field = used == 3 ? Field::Milli3 : Field::Milli;
            break;
        default: break;
        }
        if (field == Field::Literal) {
            tokens_.push_back({Field::Literal, picture[i]});
        } else {
            tokens_.push_back({field, 0});
            afterHour = field == Field::Hour || field == Field::Hour2;
            if (field == Field::Year4 || field == Field::Year2 || field == Field::Month || field == Field::Month2
                || field == Field::Day || field == Field::Day2)
                needsDate_ = true;
        }
        i += used;
    }
}

void TTimePicture::AppendTo(std::string& out, double days) const
{
    if (!std::isfinite(days)) {
        out += "NAN";
        return;
    }
    const DayParts parts = SplitDayCount(days);
    const int ms = parts.msOfDay;
    int year = 0, month = 0, day = 0;
    if (needsDate_) {
        // Whole days count from 1899-12-30; a negative count keeps its time
        // of day forward from midnight of the day it names.
        QDate::fromJulianDay(QDate(1899, 12, 30).toJulianDay() + parts.days).getDate(&year, &month, &day);
    }
    for (const Token& t : tokens_) {
        switch (t.field) {
        case Field::Literal: out += t.literal; break;
        case Field::Year4: AppendPadded(out, year, 4); break;
        case Field::Year2: AppendPadded(out, ((year % 100) + 100) % 100, 2); break;
        case Field::Month: AppendPadded(out, month, 1); break;
        case Field::Month2: AppendPadded(out, month, 2); break;
        case Field::Day: AppendPadded(out, day, 1); break;
        case Field::Day2: AppendPadded(out, day, 2); break;
        case Field::Hour: AppendPadded(out, ms / 3600000, 1); break;
        case Field::Hour2: AppendPadded(out, ms / 3600000, 2); break;
        case Field::Minute: AppendPadded(out, ms / 60000 % 60, 1); break;
        case Field::Minute2: AppendPadded(out, ms / 60000 % 60, 2); break;
        case Field::Second: AppendPadded(out, ms / 1000 % 60, 1); break;
        case Field::Second2: AppendPadded(out, ms / 1000 % 60, 2); break;
        case Field::Milli: AppendPadded(out, ms % 1000, 1); break;
        case Field::Milli3: AppendPadded(out, ms % 1000, 3); break;
        }
    }
}

QString TTimePicture::Format(double days) const
{
    std::string out;
    AppendTo(out, days);
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString FormatDayCount(const QString& picture, double days)
{
    return TTimePicture(picture.toStdString()).Format(days);
}
