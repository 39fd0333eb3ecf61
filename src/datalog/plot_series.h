#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

// The quantities the plot draws, one value of each per log row.
enum class TPlotQuantity { PpmA, PlannedPpmA, PpmH2O, PlannedPpmH2O, FlowA, FlowB, BubblerC };
inline constexpr int PlotQuantityCount = 7;

// One log row as the plot takes it: its wall-clock day count and a value of
// each quantity, NaN where the row has none.
struct TPlotSample {
    double Time = 0.0;
    std::array<double, PlotQuantityCount> Values{};

    double& operator[](TPlotQuantity q) { return Values[static_cast<int>(q)]; }
    double operator[](TPlotQuantity q) const { return Values[static_cast<int>(q)]; }
};

// A point of a decimated series: x a day count, y the value.
struct TPlotPoint {
    double x = 0.0;
    double y = 0.0;
};

// The smallest and the largest of a set of values.
struct TExtremes {
    float Min = 0.0f;
    float Max = 0.0f;
};

// One quantity's values, with the smallest and largest of every block of
// 16, 32, 64 ... values kept beside them, so the extremes of any range are
// found in a few dozen steps however long the series grows. NaN stands for
// "no value" and is never an extreme.
class TMinMaxSeries {
public:
    void Append(float value);
    std::size_t Size() const { return values_.size(); }
    float At(std::size_t i) const { return values_[i]; }
    // The extremes of the values at [first, last); none when all are NaN.
    std::optional<TExtremes> Extremes(std::size_t first, std::size_t last) const;

private:
    static constexpr std::size_t BaseBlock = 16;

    std::vector<float> values_;
    // levels_[k][i]: the extremes of values [i * (16 << k), (i + 1) * (16 << k)),
    // complete blocks only.
    std::vector<std::vector<TExtremes>> levels_;
};

// The plot's data: every row's time and quantities, from the first row on.
// Drawing a view asks for the minimum and the maximum of each pixel column,
// so no extreme is lost however many rows fall into one column.
class TPlotData {
public:
    // Adds a row. Times never go back: a row stamped before the previous one
    // (the wall clock was set back) is placed at the previous row's time.
    void Append(const TPlotSample& sample);

    std::size_t Size() const { return times_.size(); }
    double FirstTime() const { return times_.front(); }
    double LastTime() const { return times_.back(); }

    // The points of each quantity over [from, to] cut into `columns`
    // columns of equal width: a column with one value gives that point; one
    // with more gives its minimum and its maximum at the column's middle,
    // the minimum first where the column's values end higher than they
    // start. Columns without a value give nothing.
    using TDecimated = std::array<std::vector<TPlotPoint>, PlotQuantityCount>;
    TDecimated Decimate(double from, double to, int columns) const;

private:
    // Index of the first row at or after `t`.
    std::size_t FirstAtOrAfter(double t) const;

    std::vector<double> times_;
    std::array<TMinMaxSeries, PlotQuantityCount> series_;
};

// Where the time axis of [from, to] (day counts) gets its marks: whole
// multiples of a round step of minutes (1, 2, 5, 10, 15, 30 minutes, 1, 2,
// 3, 6, 12 hours, days), the finest that gives at most `most` marks.
std::vector<double> PlotTimeMarks(double from, double to, int most);
