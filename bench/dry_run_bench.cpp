// A dry run of a whole simulated day of "A (pulse) in B/H2O" (150 ppm oxygen
// with 7300 ppm water in argon, the README's humidified plan) against its
// target of 10 s of processor time: the mixer core, the gateway, the serial
// transactions and the device models in-process on a clock that never
// waits, the log keeping every row. The counters give what was delivered.
// The same for a flow program of a day (24 steps of an hour), against the
// same target.
#include "bench_main.h"
#include "dry_run.h"
#include "time_units.h"

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
    options.Minutes = MinutesPerDay;
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

// A flow program of a whole day: 24 steps of an hour, a calibration
// series of gas A dry and humidified, every fourth step flushed first.
void DryRunOfADayProgram(benchmark::State& state)
{
    const std::int32_t ppmA[] = {150, 1000, 10000, 500};
    const std::int32_t ppmH2O[] = {7300, 0, 5000, 1000};
    TFlowProgram program;
    for (int hour = 0; hour < 24; ++hour)
        program.push_back({ppmA[hour % 4], ppmH2O[(hour / 4) % 4], 60.0, hour % 4 == 0});
    TDryRunProgramResult result;
    double longest = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TDryRun run{TDryRunOptions{}};
        result = run.RunProgram(program);
        longest = std::max(longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (!result.Finished())
        state.SkipWithError(("the program did not finish: " + result.Stopped).c_str());
    else if (longest > TargetSeconds)
        state.SkipWithError("a simulated day's program took longer than its target of 10 s");
    state.counters["simulated_hours"] = result.Minutes / 60.0;
    state.counters["steps_within_tolerance"] = static_cast<double>(std::count_if(
        result.Steps.begin(), result.Steps.end(), [](const TDryRunStep& s) { return s.Hold.WithinTolerance(); }));
}

}  // namespace

BENCHMARK(DryRunOfADay)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(DryRunOfADayProgram)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
