// One ReadF32 transaction with a flow controller over the operating system's
// serial path (a pseudo-terminal, so no wire time), against its floor: the
// sleep after the write, the sleep after the poll that finds the reply, and
// the 20 ms of silence that end the read.
#include "bench_main.h"
#include "clock.h"
#include "mfc_bus_model.h"
#include "pty_host.h"
#include "serial_line.h"
#include "system_serial_lines.h"
#include "voegtlin_port.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>

namespace {

void ReadF32OnPseudoTerminal(benchmark::State& state)
{
    RealClock clock;
    MfcBusModel model;
    PtyDeviceHost host(model, clock);
    if (!host.isRunning()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    SystemSerialLines lines;
    TVoegtlinPort port(lines, clock);
    port.UseControllerLine(host.portPath());
    const double floorMs = 2.0 * port.WindowsReadLoopTimeoutMS + ReadSilenceMs;

    double totalMs = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const TSerialResponse r = port.ReadF32(1, 4);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!r.Status.empty()) {
            state.SkipWithError(r.Status.c_str());
            break;
        }
        benchmark::DoNotOptimize(r.AsFloat);
    }
    const double perTransactionMs = totalMs / static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floorMs;
    state.counters["transaction_ms"] = perTransactionMs;
    state.counters["ratio_to_floor"] = perTransactionMs / floorMs;
}

}  // namespace

BENCHMARK(ReadF32OnPseudoTerminal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(100);

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
