#include "plot_series.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

void Widen(TExtremes& e, bool& any, float lo, float hi)
{
    if (!any) {
        e = {lo, hi};
        any = true;
        return;
    }
    e.Min = std::min(e.Min, lo);
    e.Max = std::max(e.Max, hi);
}

}  // namespace

void TMinMaxSeries::Append(float value)
{
    values_.push_back(value);
    if (values_.size() % BaseBlock != 0)
        return;

    // A block of 16 is complete: its extremes go to level 0, and every pair
    // of blocks completed by it to the level above. A block of NaN only
    // keeps NaN, which every comparison passes over.
    const auto block = values_.end() - BaseBlock;
    TExtremes e{NAN, NAN};
    bool any = false;
    for (auto it = block; it != values_.end(); ++it) {
        if (!std::isnan(*it))
            Widen(e, any, *it, *it);
    }
    for (std::size_t k = 0;; ++k) {
        if (levels_.size() == k)
            levels_.emplace_back();
        levels_[k].push_back(e);
        if (levels_[k].size() % 2 != 0)
            break;
        const TExtremes& a = levels_[k][levels_[k].size() - 2];
        const TExtremes& b = levels_[k].back();
        // fmin/fmax take the number where one side is NaN.
        e = {std::fmin(a.Min, b.Min), std::fmax(a.Max, b.Max)};
    }
}

std::optional<TExtremes> TMinMaxSeries::Extremes(std::size_t first, std::size_t last) const
{
    last = std::min(last, values_.size());
    TExtremes e;
    bool any = false;
    auto value = [&](std::size_t i) {
        const float v = values_[i];
        if (!std::isnan(v))
            Widen(e, any, v, v);
    };
    auto block = [&](const TExtremes& b) {
        if (!std::isnan(b.Min))
            Widen(e, any, b.Min, b.Max);
    };

    // The single values up to the first block boundary and back from the
    // last, then whole blocks, climbing a level wherever a pair of blocks
    // lies inside what is left.
    while (first < last && first % BaseBlock != 0)
        value(first++);
    while (last > first && last % BaseBlock != 0)
        value(--last);
    std::size_t a = first / BaseBlock;
    std::size_t b = last / BaseBlock;
    for (std::size_t k = 0; a < b; ++k) {
        const std::vector<TExtremes>& level = levels_[k];
        if (k + 1 == levels_.size()) {
            while (a < b)
                block(level[a++]);
            break;
        }
        if (a % 2 != 0)
            block(level[a++]);
        if (b % 2 != 0 && b > a)
            block(level[--b]);
        a /= 2;
        b /= 2;
    }
    if (!any)
        return std::nullopt;
    return e;
}

void TPlotData::Append(const TPlotSample& sample)
{
    const double t = times_.empty() ? sample.Time : std::max(sample.Time, times_.back());
    times_.push_back(t);
    for (int q = 0; q < PlotQuantityCount; ++q)
        series_[q].Append(static_cast<float>(sample.Values[q]));
}

std::size_t TPlotData::FirstAtOrAfter(double t) const
{
    return static_cast<std::size_t>(std::lower_bound(times_.begin(), times_.end(), t) - times_.begin());
}

TPlotData::TDecimated TPlotData::Decimate(double from, double to, int columns) const
{
    TDecimated out;
    if (columns < 1 || !(to > from) || times_.empty())
        return out;

    // Row index where each column begins; the last column takes in `to`.
    const double width = (to - from) / columns;
    std::vector<std::size_t> starts(static_cast<std::size_t>(columns) + 1);
    for (int c = 0; c < columns; ++c)
        starts[c] = FirstAtOrAfter(from + c * width);
    starts[columns] = static_cast<std::size_t>(std::upper_bound(times_.begin(), times_.end(), to) - times_.begin());

    for (int q = 0; q < PlotQuantityCount; ++q) {
        const TMinMaxSeries& series = series_[q];
        std::vector<TPlotPoint>& points = out[q];
        points.reserve(2 * static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const std::size_t first = starts[c];
            const std::size_t last = std::max(first, starts[c + 1]);
            if (first == last)
                continue;
            if (last - first == 1) {
                if (!std::isnan(series.At(first)))
                    points.push_back({times_[first], series.At(first)});
                continue;
            }
            const std::optional<TExtremes> e = series.Extremes(first, last);
            if (!e)
                continue;
            const double x = from + (c + 0.5) * width;
            if (e->Min == e->Max) {
                points.push_back({x, e->Min});
                continue;
            }
            const bool rising = series.At(last - 1) > series.At(first);
            points.push_back({x, rising ? e->Min : e->Max});
            points.push_back({x, rising ? e->Max : e->Min});
        }
    }
    return out;
}

std::vector<double> PlotTimeMarks(double from, double to, int most)
{
    std::vector<double> marks;
    if (!(to > from) || most < 1)
        return marks;
    static constexpr double StepsMinutes[] = {1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720, 1440};
    const double spanMinutes = (to - from) * MinutesPerDay;
    double step = StepsMinutes[std::size(StepsMinutes) - 1];
    // (A span read from day counts is a hair off its round value.)
    const double allowed = most + 1e-6;
    for (double s : StepsMinutes) {
        if (spanMinutes / s <= allowed) {
            step = s;
            break;
        }
    }
    // Beyond a day per mark, whole days.
    while (spanMinutes / step > allowed)
        step *= 2;
    const double stepDays = step / MinutesPerDay;
    // Marks on whole multiples of the step; rounded to the minute so that
    // they print as the round times they are.
    for (double k = std::ceil(from / stepDays - 1e-9); k * stepDays <= to + 1e-12; ++k)
        marks.push_back(std::round(k * step) / MinutesPerDay);
    return marks;
}
