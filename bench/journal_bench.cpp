// The journal's cost per row: the time StoreRow takes with the journal
// following the table (the row formatted and written to the system, and
// every tenth row synced to disk, as at one row a second), against the
// table alone. Per-row times are taken one by one, so the counters give
// the median and the 99th percentile in microseconds.
#include "bench_log_rows.h"
#include "bench_main.h"
#include "clock.h"
#include "journal.h"
#include "log_row.h"
#include "log_table_model.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

TLogRowValues RowAt(int second)
{
    return BenchLogRowAt(second, "A (pulse) in B/H2O");
}

void StoreRows(benchmark::State& state, bool journaled)
{
    FakeClock clock;
    QTemporaryDir dir;
    TLogTableModel log;
    log.SetColumns(StandardLogColumns());
    TJournal journal(clock);
    if (journaled) {
        journal.UseFolder(dir.path());
        journal.Follow(log);
    }
    std::vector<double> us;
    us.reserve(1 << 20);
    int second = 0;
    for (auto _ : state) {
        const TLogRowValues row = RowAt(second++);
        const auto start = std::chrono::steady_clock::now();
        log.StoreRow(row);
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        clock.advanceMs(1000);
        QCoreApplication::processEvents();  // the sync thread's answers, as between ticks
    }
    if (journaled && !journal.UpToDate())
        state.SkipWithError("the journal could not be written");
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
    state.counters["max_us"] = us.back();
}

}  // namespace

BENCHMARK_CAPTURE(StoreRows, table_alone, false)->Iterations(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(StoreRows, with_journal, true)->Iterations(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
