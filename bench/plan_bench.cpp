// A planning run, as every accepted ppm entry and every Dilution makes one,
// with and without the uncertainty of what it delivers and its report
// block; the whole run against 1 ms.
#include "bench_main.h"
#include "plan_report.h"
#include "uncertainty.h"

#include <QCoreApplication>

#include <chrono>

namespace {

constexpr double TargetMs = 1.0;

TPlanRequest Request(std::int32_t a, std::int32_t w)
{
    const TFlowInfo fia{"O2", "Oxygen", "g/min", 0.25f, 50, 0.005f};
    const TFlowInfo fib{"Ar", "Argon", "g/min", 6.0f, 50, 0.12f};
    return {a, 1000000 - a - w, w, "O2", "Ar", fia, fib, 0.0261};
}

void Plan(benchmark::State& state, std::int32_t a, std::int32_t w, bool withUncertainty)
{
    const TPlanRequest request = Request(a, w);
    TUncertaintyInputs inputs;
    inputs.SourceA = DefaultSource("O2");
    inputs.BubblerC = 22.0;
    inputs.BubblerStepC = 0.095;
    double longestMs = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const TPlanResult plan = CalculatePlan(request);
        QStringList lines = PlanReportLines(plan);
        if (withUncertainty)
            if (const std::optional<TPlanUncertainty> u = PlanUncertainty(plan, inputs))
                lines << UncertaintyLines(*u, inputs, 46366.0);
        benchmark::DoNotOptimize(lines);
        longestMs = std::max(
            longestMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (longestMs > TargetMs)
        state.SkipWithError("a planning run took longer than its target of 1 ms");
}

}  // namespace

BENCHMARK_CAPTURE(Plan, constant_humidified, 10000, 7300, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Plan, constant_humidified_with_uncertainty, 10000, 7300, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Plan, pulsed_humidified, 150, 7300, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Plan, pulsed_humidified_with_uncertainty, 150, 7300, true)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
