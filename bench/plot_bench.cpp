// The Plot page over a run of a million rows (eleven and a half days at a
// row a second), shown at the size of the window's page.
//
//   BM_AppendAtMillionRows   one row appended while the page follows the
//                            newest hour: into the data, and the view drawn
//                            again (the curves, and the axes when the view
//                            moves on; not yet painted); one row per
//                            repetition, so the median is that of single
//                            appends
//   BM_RedrawWholeRun        the whole run drawn again and painted, coming
//                            from another view: the decimation of a million
//                            rows into the pixel columns, the axes made anew,
//                            the curves and the paint
//   BM_DecimateWholeRun      the decimation alone
#include "bench_main.h"
#include "plot_page.h"
#include "time_units.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace {

constexpr int MillionRows = 1000000;
constexpr double Start = 46365.0 + 10.0 / 24.0;

// The row `second` seconds into the run: a dilution near its plan with the
// wobble of pulses, and now and then a plan changed.
TPlotSample SampleAt(int second)
{
    TPlotSample s;
    s.Time = Start + second / SecondsPerDay;
    const double plan = 150.0 * (1 + (second / 20000) % 3);
    s[TPlotQuantity::PpmA] = plan * (1 + 0.01 * std::sin(second * 0.37));
    s[TPlotQuantity::PlannedPpmA] = plan;
    s[TPlotQuantity::PpmH2O] = 7300.0 * (1 + 0.02 * std::sin(second * 0.011));
    s[TPlotQuantity::PlannedPpmH2O] = 7300.0;
    s[TPlotQuantity::FlowA] = 0.00072 * (1 + 0.1 * std::sin(second * 1.3));
    s[TPlotQuantity::FlowB] = 6.0 - 0.01 * (second % 11);
    s[TPlotQuantity::BubblerC] = 22.0 + std::sin(second / 43200.0 * 3.14159);
    return s;
}

struct TLongRun {
    TPlotPage page;
    int next = 0;

    TLongRun()
    {
        page.resize(1340, 600);
        page.show();
        for (; next < MillionRows; ++next)
            page.AppendSample(SampleAt(next));
        QCoreApplication::processEvents();
    }
};

// Made once and kept to the end: the page must not outlive the application.
TLongRun& LongRun()
{
    static TLongRun* run = new TLongRun;
    return *run;
}

void BM_AppendAtMillionRows(benchmark::State& state)
{
    TLongRun& run = LongRun();
    run.page.ComboBoxPlotSpan->setCurrentText(QStringLiteral("Newest hour"));
    for (auto _ : state) {
        run.page.AppendSample(SampleAt(run.next++));
        run.page.Redraw();
    }
    state.counters["rows"] = static_cast<double>(run.page.Data().Size());
}

void BM_RedrawWholeRun(benchmark::State& state)
{
    TLongRun& run = LongRun();
    QImage picture(run.page.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        // From another view, so the axes are made anew as well.
        state.PauseTiming();
        run.page.ComboBoxPlotSpan->setCurrentText(QStringLiteral("Newest 8 hours"));
        run.page.Redraw();
        state.ResumeTiming();
        run.page.ComboBoxPlotSpan->setCurrentText(QStringLiteral("Whole run"));
        run.page.Redraw();
        run.page.render(&picture);
    }
    state.counters["rows"] = static_cast<double>(run.page.Data().Size());
}

void BM_DecimateWholeRun(benchmark::State& state)
{
    TLongRun& run = LongRun();
    const TPlotData& data = run.page.Data();
    const int columns = static_cast<int>(run.page.ChartViewPpm->chart()->plotArea().width());
    for (auto _ : state)
        benchmark::DoNotOptimize(data.Decimate(data.FirstTime(), data.LastTime(), columns));
    state.counters["columns"] = columns;
}

}  // namespace

BENCHMARK(BM_AppendAtMillionRows)
    ->Iterations(1)
    ->Repetitions(101)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawWholeRun)->Iterations(10)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecimateWholeRun)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
