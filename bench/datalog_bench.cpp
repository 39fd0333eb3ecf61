// The log over a long dilution: a row a second for eleven days.
//
// Figures reported as counters:
//   bytes_per_row       bytes the stored rows hold, per row
//   rss_bytes_per_row   growth of the process's resident memory, per row
//   first_ns_per_row /  append time per row over the first and the last
//   last_ns_per_row     100 000 rows of the million (shows no slowing)
//   seconds             time to save 1 000 000 rows to a file
// BM_AppendWithTheTableShown and BM_ScrollAMillionRows time the window's
// table view over a million rows: one stored row made current and shown,
// and a jump to a far row with a repaint.
#include "bench_log_rows.h"
#include "bench_main.h"
#include "log_file.h"
#include "log_row.h"
#include "log_table_model.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr int MillionRows = 1000000;
constexpr int Window = 100000;

TLogRowValues RowAt(int second)
{
    return BenchLogRowAt(second, "A (constant) in B/H2O");
}

// Resident memory of this process, bytes (Linux; 0 elsewhere).
double ResidentBytes()
{
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * 4096.0;
}

double NsPerRow(std::chrono::steady_clock::duration d, int rows)
{
    return std::chrono::duration<double, std::nano>(d).count() / rows;
}

// Appends a million rows through the model, as StoreData does.
void BM_AppendMillionRows(benchmark::State& state)
{
    // Rows are computed beforehand: the figure is the table's own cost.
    std::vector<TLogRowValues> rows;
    rows.reserve(1000);
    for (int i = 0; i < 1000; ++i)
        rows.push_back(RowAt(i * 977));
    for (auto _ : state) {
        const double before = ResidentBytes();
        auto model = std::make_unique<TLogTableModel>();
        model->SetColumns(StandardLogColumns());
        std::chrono::steady_clock::duration first{}, last{};
        auto mark = std::chrono::steady_clock::now();
        for (int i = 0; i < MillionRows; ++i) {
            model->StoreRow(rows[i % rows.size()]);
            if (i + 1 == Window) {
                first = std::chrono::steady_clock::now() - mark;
            } else if (i + 1 == MillionRows - Window) {
                mark = std::chrono::steady_clock::now();
            }
        }
        last = std::chrono::steady_clock::now() - mark;
        state.counters["bytes_per_row"] = static_cast<double>(model->BytesHeld()) / model->DataRows();
        state.counters["rss_bytes_per_row"] = (ResidentBytes() - before) / model->DataRows();
        state.counters["first_ns_per_row"] = NsPerRow(first, Window);
        state.counters["last_ns_per_row"] = NsPerRow(last, Window);
        benchmark::DoNotOptimize(model->DataRows());
    }
    state.SetItemsProcessed(state.iterations() * MillionRows);
}
BENCHMARK(BM_AppendMillionRows)->Unit(benchmark::kMillisecond)->Iterations(2);

// The window's case early on and after eleven days (a million rows): the
// table on screen and every new row made current, which scrolls it into
// view. The view's own cost (header geometry, selection, repaint) is part of
// this figure; rss_bytes_per_row counts the view's memory too.
void BM_AppendWithTheTableShown(benchmark::State& state)
{
    const double before = ResidentBytes();
    TLogTableModel model;
    model.SetColumns(StandardLogColumns());
    for (int i = 0; i < state.range(0); ++i)
        model.StoreRow(RowAt(i));
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->hide();
    view.setModel(&model);
    view.resize(960, 600);
    view.show();
    QApplication::processEvents();
    state.counters["rss_bytes_per_row"] = (ResidentBytes() - before) / model.DataRows();
    const TLogRowValues row = RowAt(MillionRows);
    for (auto _ : state) {
        const int written = model.StoreRow(row);
        view.setCurrentIndex(model.index(written, 0));
        QApplication::processEvents();
    }
    state.counters["rows"] = model.DataRows();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendWithTheTableShown)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Arg(1000)->Arg(MillionRows);

// Jumping around a million-row table shown on screen, as scrolling does.
void BM_ScrollAMillionRows(benchmark::State& state)
{
    TLogTableModel model;
    model.SetColumns(StandardLogColumns());
    for (int i = 0; i < MillionRows; ++i)
        model.StoreRow(RowAt(i));
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->hide();
    view.setModel(&model);
    view.resize(960, 600);
    view.show();
    QApplication::processEvents();
    unsigned seed = 1;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        view.scrollTo(model.index(static_cast<int>(seed % MillionRows), 0));
        view.viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollAMillionRows)->Unit(benchmark::kMillisecond)->Iterations(200);

// Saving a million rows (the header and report included) to a new file.
void BM_SaveMillionRows(benchmark::State& state)
{
    TLogTableModel model;
    model.SetColumns(StandardLogColumns());
    for (int i = 0; i < MillionRows; ++i)
        model.StoreRow(RowAt(i));
    const QString report = QStringLiteral("Description of desired mixture\r\n  150 ppm of Oxygen in Argon\r\n");
    QTemporaryDir dir;
    int n = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QStringLiteral("log%1.csv").arg(n++));
        const auto start = std::chrono::steady_clock::now();
        if (!SaveLogFile(path, report, model))
            state.SkipWithError("saving failed");
        state.counters["seconds"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        bytes = QFileInfo(path).size();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
