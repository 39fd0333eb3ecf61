#include "plot_series.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double Minute = 1.0 / MinutesPerDay;

// Rows a second apart from 10:00, a wandering value with spikes and gaps
// (NaN) in every quantity.
TPlotData Rows(int count, unsigned seed, std::vector<TPlotSample>& kept)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_int_distribution<int> dice(0, 99);
    TPlotData data;
    double value = 100.0;
    for (int i = 0; i < count; ++i) {
        TPlotSample s;
        s.Time = 46365.0 + 10.0 / 24.0 + i / SecondsPerDay;
        value += step(random);
        for (int q = 0; q < PlotQuantityCount; ++q) {
            const int d = dice(random);
            s.Values[q] = d < 5 ? NAN : d < 7 ? value * 10 : static_cast<float>(value + q);
        }
        kept.push_back(s);
        data.Append(s);
    }
    return data;
}

// The column a time falls into: the last whose left edge is not after it.
int ColumnOf(double t, double from, double width, int columns)
{
    int col = std::clamp(static_cast<int>((t - from) / width), 0, columns - 1);
    while (col + 1 < columns && from + (col + 1) * width <= t)
        ++col;
    while (col > 0 && from + col * width > t)
        --col;
    return col;
}

}  // namespace

TEST(PlotSeries, EveryColumnKeepsItsMinimumAndMaximum)
{
    struct Case {
        int rows;
        int columns;
        double fromMinutes, toMinutes;  // the view, from the first row
    };
    const Case cases[] = {
        {1, 10, -1, 1},   {15, 3, 0, 0.25},    {17, 900, 0, 0.3},      {40, 7, 0.1, 0.5},
        {5000, 1, 0, 90}, {5000, 333, 20, 60}, {100000, 900, 0, 1700}, {100000, 640, 1000, 1100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows in " << c.columns << " columns");
        std::vector<TPlotSample> kept;
        const TPlotData data = Rows(c.rows, static_cast<unsigned>(c.rows * 31 + c.columns), kept);
        const double from = kept.front().Time + c.fromMinutes * Minute;
        const double to = kept.front().Time + c.toMinutes * Minute;
        const TPlotData::TDecimated points = data.Decimate(from, to, c.columns);
        const double width = (to - from) / c.columns;

        for (int q = 0; q < PlotQuantityCount; ++q) {
            // The rows of each column, worked out by brute force.
            std::vector<float> lo(c.columns, INFINITY), hi(c.columns, -INFINITY);
            std::vector<int> n(c.columns, 0);
            for (const TPlotSample& s : kept) {
                if (s.Time < from || s.Time > to || std::isnan(s.Values[q]))
                    continue;
                const int col = ColumnOf(s.Time, from, width, c.columns);
                lo[col] = std::min(lo[col], static_cast<float>(s.Values[q]));
                hi[col] = std::max(hi[col], static_cast<float>(s.Values[q]));
                ++n[col];
            }
            std::vector<float> gotLo(c.columns, INFINITY), gotHi(c.columns, -INFINITY);
            for (const TPlotPoint& p : points[q]) {
                ASSERT_GE(p.x, from);
                ASSERT_LE(p.x, to);
                const int col = ColumnOf(p.x, from, width, c.columns);
                gotLo[col] = std::min(gotLo[col], static_cast<float>(p.y));
                gotHi[col] = std::max(gotHi[col], static_cast<float>(p.y));
            }
            int expectedPoints = 0;
            for (int col = 0; col < c.columns; ++col) {
                EXPECT_EQ(gotLo[col], lo[col]) << "quantity " << q << " column " << col;
                EXPECT_EQ(gotHi[col], hi[col]) << "quantity " << q << " column " << col;
                expectedPoints += n[col] == 0 ? 0 : lo[col] == hi[col] ? 1 : 2;
            }
            EXPECT_EQ(static_cast<int>(points[q].size()), expectedPoints) << "quantity " << q;
        }
    }
}

TEST(PlotSeries, ARowStampedBeforeThePreviousOneStaysAtItsTime)
{
    TPlotData data;
    const double t0 = 46365.5;
    const double rows[][2] = {{t0, 0}, {t0 + 2 * Minute, 1}, {t0 + Minute - 60 * Minute, 9}, {t0 + 3 * Minute, 2}};
    for (const auto& [t, value] : rows) {
        TPlotSample s;
        s.Time = t;
        s.Values.fill(value);
        data.Append(s);
    }
    // The wall clock went back an hour: the row stays at the previous time,
    // the view never runs backwards, and its value is still drawn.
    EXPECT_EQ(data.FirstTime(), t0);
    EXPECT_EQ(data.LastTime(), t0 + 3 * Minute);
    const auto points = data.Decimate(t0, t0 + 3 * Minute, 3);
    ASSERT_EQ(points[0].size(), 3u);
    EXPECT_EQ(points[0][2].y, 9.0);
}
