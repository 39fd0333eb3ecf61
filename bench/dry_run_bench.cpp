// A dry run of a whole simulated day of "A (pulse) in B/H2O" (150 ppm oxygen
// with 7300 ppm water in argon, the README's humidified plan) against its
// target of 10 s of processor time: the mixer core, the gateway, the serial
// transactions and the device models in-process on a clock that never
// waits, the log keeping every row. The counters give what was delivered.
#include "dry_run.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace {

constexpr double TargetSeconds = 10.0;

void DryRunOfADay(benchmark::State& state)
{
    TDryRunOptions options;
    options.GasA = "O2";
    options.GasB = "Ar";
    options.PpmA = 150;
    options.PpmH2O = 7300;
    options.Minutes = 24 * 60;
    TDryRunResult result;
    double longest = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        result = TDryRun::Run(options);
        longest = std::max(longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (result.Method != "A (pulse) in B/H2O")
        state.SkipWithError(("planned " + result.Method).c_str());
    else if (longest > TargetSeconds)
        state.SkipWithError("a simulated day took longer than its target of 10 s");
    state.counters["simulated_hours"] = result.Minutes / 60.0;
    state.counters["gas_A_error_pct"] = 100.0 * result.ErrorA();
    state.counters["water_error_pct"] = 100.0 * result.ErrorH2O();
    state.counters["within_tolerance"] = result.WithinTolerance();
}

}  // namespace

BENCHMARK(DryRunOfADay)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
