// What reading the controllers' acknowledgements costs a Dilution tick on
// the simulated rig, against the tick's whole device time: the mixer core,
// the gateway, the serial transactions and the device models in-process on
// the dry run's clock (which never waits, so device time is the clock's
// advance during a tick). Every set-point, totalizer zeroing and gas-table
// write now reads its echo in the pause after it; the time those reads take
// (ack_read_ms) is measured at the line, on the clock, from the reads that
// follow a write frame. The target: at most 2 % of the tick's device time.
// The controllers answer 2 ms after a request (the model's own delay), or,
// as a slower controller might, 8 ms after it (reply_delay_ms): then the
// echo is still arriving when the pause after the write is over.
#include "bench_main.h"
#include "clock.h"
#include "dry_run.h"
#include "serial_line.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "time_units.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <memory>

namespace {

constexpr double TickPeriodMs = 250.0;
constexpr double TargetSharePercent = 2.0;

// The clock time the reads after a write frame (function 6 or 16) take,
// and how many such writes there were.
struct TAckReads {
    Clock& TheClock;
    double Ms = 0.0;
    long long Writes = 0;
};

// The controllers' line as the program uses it, timing the reads that
// follow a write until the next frame.
class TimedLine final : public SerialLine {
public:
    TimedLine(std::unique_ptr<SerialLine> line, TAckReads& reads)
        : Line_(std::move(line))
        , Reads_(reads)
    {
    }
    bool open() override { return Line_->open(); }
    SerialOpenFailure openFailure() const override { return Line_->openFailure(); }
    bool configure(std::int32_t baud, std::int32_t parity, std::int32_t stopBits) override
    {
        return Line_->configure(baud, parity, stopBits);
    }
    void purge() override { Line_->purge(); }
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        AfterWrite_ = size >= 2 && (data[1] == 6 || data[1] == 16);
        Reads_.Writes += AfterWrite_ ? 1 : 0;
        return Line_->write(data, size);
    }
    void drain() override { Line_->drain(); }
    int bytesWaiting() override
    {
        return Timed([&] { return Line_->bytesWaiting(); });
    }
    bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes) override
    {
        return Timed([&] { return Line_->read(into, maxBytes); });
    }
    void close() override { Line_->close(); }
    bool vanished() const override { return Line_->vanished(); }

private:
    template <class F> auto Timed(F f) -> decltype(f())
    {
        const double start = Reads_.TheClock.now();
        auto result = f();
        if (AfterWrite_)
            Reads_.Ms += (Reads_.TheClock.now() - start) * MsPerDay;
        return result;
    }

    std::unique_ptr<SerialLine> Line_;
    TAckReads& Reads_;
    bool AfterWrite_ = false;
};

void AcknowledgementShare(benchmark::State& state, int ppmA, int ppmH2O, const char* method)
{
    TDryRunOptions options;
    options.PpmA = ppmA;
    options.PpmH2O = ppmH2O;
    TDryRun run(options);
    const double replyDelayMs = static_cast<double>(state.range(0));
    run.Rig().mfc.faults(1).ReplyDelayMs = replyDelayMs;
    run.Rig().mfc.faults(2).ReplyDelayMs = replyDelayMs;
    TAckReads reads{run.TheClock()};
    run.Lines().registerLine(SimulatedRig::MfcPortName,
                             [&] { return std::make_unique<TimedLine>(run.Rig().mfcPort.makeLine(), reads); });
    run.Request(ppmA, ppmH2O);
    run.StartDilution();
    run.RunFor(2.0);  // the set-points sent, the pulses under way
    if (run.Result().Method != method) {
        state.SkipWithError(("planned " + run.Result().Method).c_str());
        return;
    }

    Clock& clock = run.TheClock();
    reads.Ms = 0.0;
    reads.Writes = 0;
    double deviceMs = 0.0;
    for (auto _ : state) {
        const double start = clock.now();
        run.Mixer().Timer1Timer();
        const double tookMs = (clock.now() - start) * MsPerDay;
        deviceMs += tookMs;
        if (tookMs < TickPeriodMs)
            clock.deviceWaitMs(TickPeriodMs - tookMs);
    }
    if (!run.Result().Alarm.empty())
        state.SkipWithError(run.Result().Alarm.c_str());
    const double ticks = static_cast<double>(state.iterations());
    const double share = 100.0 * reads.Ms / deviceMs;
    state.counters["device_ms"] = deviceMs / ticks;
    state.counters["ack_read_ms"] = reads.Ms / ticks;
    state.counters["writes_per_tick"] = static_cast<double>(reads.Writes) / ticks;
    state.counters["ack_share_pct"] = share;
    if (share > TargetSharePercent)
        state.SkipWithError("the acknowledgements cost more than 2 % of the tick");
}

}  // namespace

BENCHMARK_CAPTURE(AcknowledgementShare, constant, 10000, 0, "A (constant) in B")
    ->ArgName("reply_delay_ms")
    ->Arg(2)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AcknowledgementShare, pulse_wet, 150, 7300, "A (pulse) in B/H2O")
    ->ArgName("reply_delay_ms")
    ->Arg(2)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AcknowledgementShare, b_pulse, 800000, 0, "B (pulse) in A")
    ->ArgName("reply_delay_ms")
    ->Arg(2)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
