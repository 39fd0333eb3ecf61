// The device time of one Dilution tick on the simulated rig against the
// 250 ms period of Timer1: the whole window, both flow controllers and the
// relay board in-process on the fake clock. Device time is the fake clock's
// advance during the tick: the program's own waits (pauses after frames,
// the gas A pulse) plus the modelled line and device time (wire time at the
// line's speed, reply delays, the silence that ends each read). It is what
// the tick would block the window for on equipment that answers like the
// models; the benchmark's own time is the computing around it.
//
// The journal's share: the same ticks with and without the journal writing
// every row (journal=1/0); cpu_us is the computing per tick, tick_ms the
// tick's whole time (device time and computing).
//
// BM_TickGapWhileSaving: a million rows in the table, a save started, and
// Timer1's 250 ms ticks going on meanwhile: the longest gap between tick
// starts (max_gap_ms), the longest tick (max_tick_ms), the time Save takes
// on the window's thread (save_call_ms), until its result (save_ms), and
// for comparison the same file written on the window's thread (inline_ms).
#include "bench_main.h"
#include "clock.h"
#include "compounds.h"
#include "form1.h"
#include "mixer_core.h"
#include "journal.h"
#include "log_file.h"
#include "log_saver.h"
#include "log_table_model.h"
#include "mfc_bus_model.h"
#include "mfc_services.h"
#include "operator_dialogs.h"
#include "relay_board.h"
#include "relay_board_model.h"
#include "relay_commands.h"
#include "rt_integer_edit.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "time_units.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double TickPeriodMs = 250.0;

class SilentDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString&) override {}
    void ShowError(QWidget*, const QString& text) override { Errors.push_back(text.toStdString()); }
    bool AskYesNo(QWidget*, const QString&) override { return false; }
    QString PromptSaveFileName(QWidget*, const TSaveDialogSetup&, const QString&) override { return {}; }
    std::vector<std::string> Errors;
};

struct Rig {
    FakeClock clock;
    SilentDialogs dialogs;
    MfcBusModel mfc;
    SimulatedPort mfcPort{mfc, clock};
    RelayBoardModel relay;
    SimulatedPort relayPort{relay, clock};
    RegisteredSerialLines lines;
    QTemporaryDir folder;
    TJournal journal{clock};
    bool journaled;
    TForm1 form{TFormServices{clock, dialogs, lines, journaled ? &journal : nullptr}};

    // Oxygen in argon on validated equipment, diluting `ppm` of oxygen; the
    // journal, if any, in a folder of its own.
    explicit Rig(int ppm, bool withJournal = false)
        : journaled((journal.UseFolder(folder.path()), withJournal))
    {
        form.Timer1->stop();  // ticks come from the benchmark
        registerSimulatedPort(lines, "SIM-MFC", mfcPort);
        registerSimulatedPort(lines, "SIM-RELAY", relayPort);
        form.ListBoxPortMFC->addItem(QStringLiteral("SIM-MFC"));
        form.ListBoxPortMFC->setCurrentRow(0);
        form.ListBoxPortSolenoid->addItem(QStringLiteral("SIM-RELAY"));
        form.ListBoxPortSolenoid->setCurrentRow(0);
        form.ButtonSetupValidateClick();
        form.ListBoxSetupGas1->setCurrentRow(0);  // O2
        form.ListBoxSetupGas1Click();
        form.ListBoxSetupGas2->setCurrentRow(0);  // Ar
        form.ListBoxSetupGas2Click();
        form.RtIntegerEditH2OTempValueChanged();
        form.RtIntegerEditGasAPPM->SetValue(ppm);
        form.RtIntegerEditH2Oppm->SetValue(0);
        form.RtIntegerEditGasBPPM->SetValue(1000000 - ppm);
        form.ButtonDilutionClick();
    }
};

// One Dilution tick per iteration, with Timer1's cadence between ticks.
void DilutionTick(benchmark::State& state, int ppm, const char* method)
{
    const bool journaled = state.range(0) != 0;
    Rig rig(ppm, journaled);
    if (MixingMethodName(rig.form.Core().State.MixingMethod) != method) {
        state.SkipWithError(("planned " + std::string(MixingMethodName(rig.form.Core().State.MixingMethod))).c_str());
        return;
    }
    rig.form.Timer1Timer();  // the first tick sends the set-points; steady ticks follow
    rig.clock.advanceMs(TickPeriodMs);

    double totalMs = 0.0, longestMs = 0.0, waitsMs = 0.0, cpuUs = 0.0;
    for (auto _ : state) {
        const double start = rig.clock.now();
        const std::uint64_t sleptBefore = rig.clock.sleptMs();
        const auto cpuStart = std::chrono::steady_clock::now();
        rig.form.Timer1Timer();
        cpuUs += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - cpuStart).count();
        state.PauseTiming();
        QApplication::processEvents();  // between ticks: the journal's sync answers
        state.ResumeTiming();
        const double tookMs = (rig.clock.now() - start) * MsPerDay;
        totalMs += tookMs;
        waitsMs += static_cast<double>(rig.clock.sleptMs() - sleptBefore);
        longestMs = std::max(longestMs, tookMs);
        if (tookMs < TickPeriodMs)
            rig.clock.advanceMs(TickPeriodMs - tookMs);
    }
    if (!rig.dialogs.Errors.empty())
        state.SkipWithError(rig.dialogs.Errors.front().c_str());
    if (journaled && !rig.journal.UpToDate())
        state.SkipWithError("the journal could not be written");
    if (rig.form.Core().Mixer.Alarm())
        state.SkipWithError(rig.form.Core().Mixer.Alarm()->Cause.c_str());
    const double ticks = static_cast<double>(state.iterations());
    state.counters["cpu_us"] = cpuUs / ticks;
    state.counters["tick_ms"] = totalMs / ticks + cpuUs / ticks / 1000.0;
    state.counters["rows"] = rig.form.LogTable->DataRows();
    state.counters["device_ms"] = totalMs / ticks;
    state.counters["device_ms_max"] = longestMs;
    state.counters["own_waits_ms"] = waitsMs / ticks;
    state.counters["share_of_250ms"] = totalMs / ticks / TickPeriodMs;
    state.counters["gas_A_pulses_per_tick"] = rig.form.Core().State.Counter / ticks;
}

// The row a dilution stores `second` seconds in.
TLogRowValues RowAt(int second)
{
    TLogRowInputs in;
    in.Time = 46365.0 + second / SecondsPerDay;
    in.MixerState = TMixerState::Dilution;
    in.MixingMethod = "A (pulse) in B";
    in.TotalizerA = 0.00012017 / 60.0 * second;
    in.TotalizerB = 1.0 / 60.0 * second;
    in.GasA = "O2";
    in.GasB = "Ar";
    in.H2OMolarMass = 18.01528f;
    return ComputeLogRow(in);
}

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_TickGapWhileSaving(benchmark::State& state)
{
    // Without the journal: a million rows through it would take the filling
    // long; the ticks during the save are the subject here.
    Rig rig(10000, false);
    auto* saver = rig.form.findChild<TLogSaver*>();
    if (!saver) {
        state.SkipWithError("no saver");
        return;
    }
    for (int i = 0; i < 1000000; ++i)
        rig.form.LogTable->StoreRow(RowAt(i));
    QTemporaryDir dir;
    for (auto _ : state) {
        const auto inlineStart = std::chrono::steady_clock::now();
        if (!SaveLogFile(dir.filePath("inline.csv"), rig.form.Memo4->toPlainText(), *rig.form.LogTable))
            state.SkipWithError("saving failed");
        state.counters["inline_ms"] = MsSince(inlineStart);

        std::vector<double> starts;
        double maxTick = 0;
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(static_cast<int>(TickPeriodMs));
        const auto t0 = std::chrono::steady_clock::now();
        QObject::connect(&timer, &QTimer::timeout, [&] {
            starts.push_back(MsSince(t0));
            const auto tickStart = std::chrono::steady_clock::now();
            rig.form.Timer1Timer();
            rig.clock.advanceMs(TickPeriodMs);
            maxTick = std::max(maxTick, MsSince(tickStart));
        });
        bool saved = false;
        const auto finished = QObject::connect(saver, &TLogSaver::Finished, [&](bool ok, std::uint64_t) {
            saved = ok;
            loop.quit();
        });
        timer.start();
        const auto saveStart = std::chrono::steady_clock::now();
        rig.form.Save(dir.filePath("worker.csv"));
        state.counters["save_call_ms"] = MsSince(saveStart);
        loop.exec();
        state.counters["save_ms"] = MsSince(saveStart);
        QObject::disconnect(finished);
        if (!saved)
            state.SkipWithError("saving failed");
        double maxGap = 0;
        for (std::size_t i = 1; i < starts.size(); ++i)
            maxGap = std::max(maxGap, starts[i] - starts[i - 1]);
        state.counters["max_gap_ms"] = maxGap;
        state.counters["max_tick_ms"] = maxTick;
        state.counters["ticks"] = static_cast<double>(starts.size());
    }
}

// What the equipment gateway adds to a steady Dilution tick ("A (constant)
// in B", no water): the tick through the window, the gateway and the
// supervision against the same exchanges sent straight through the device
// services on a second rig (both totalizers read, the dry path held).
// Device time on the fake clock is what a tick blocks the window for; the
// bookkeeping (outcome counts, the totalizer history, the checks) costs
// computing time only, measured here on the steady clock.
void GatewayOverhead(benchmark::State& state)
{
    Rig viaGateway(10000);
    Rig direct(10000);
    if (MixingMethodName(viaGateway.form.Core().State.MixingMethod) != "A (constant) in B") {
        state.SkipWithError("not a constant-flow plan");
        return;
    }
    for (Rig* rig : {&viaGateway, &direct}) {
        rig->form.Timer1Timer();
        rig->clock.advanceMs(TickPeriodMs);
    }
    const MfcBus bus{direct.lines, direct.clock, "SIM-MFC"};
    const RelayBoard board{direct.lines, direct.clock, "SIM-RELAY"};
    TTotalizer a, b;
    const std::uint8_t dryPath = ValvePattern(0, 0, 0, 1, 1, 0);

    auto tick = [](Rig& rig, const std::function<void()>& run, double& deviceMs, double& cpuUs) {
        const double start = rig.clock.now();
        const auto cpuStart = std::chrono::steady_clock::now();
        run();
        cpuUs += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - cpuStart).count();
        const double tookMs = (rig.clock.now() - start) * MsPerDay;
        deviceMs += tookMs;
        rig.clock.advanceMs(std::max(0.0, TickPeriodMs - tookMs));
    };
    double gatewayMs = 0.0, directMs = 0.0, gatewayUs = 0.0, directUs = 0.0;
    for (auto _ : state) {
        tick(
            viaGateway, [&] { viaGateway.form.Timer1Timer(); }, gatewayMs, gatewayUs);
        tick(
            direct,
            [&] {
                ReadTotalizers(bus, a, b);
                SendValvePattern(board, dryPath);
            },
            directMs, directUs);
    }
    if (!viaGateway.dialogs.Errors.empty())
        state.SkipWithError(viaGateway.dialogs.Errors.front().c_str());
    if (viaGateway.form.Core().Mixer.Alarm())
        state.SkipWithError(viaGateway.form.Core().Mixer.Alarm()->Cause.c_str());
    const double ticks = static_cast<double>(state.iterations());
    state.counters["gateway_device_ms"] = gatewayMs / ticks;
    state.counters["direct_device_ms"] = directMs / ticks;
    state.counters["added_device_pct"] = 100.0 * (gatewayMs - directMs) / directMs;
    state.counters["gateway_cpu_us"] = gatewayUs / ticks;
    state.counters["direct_cpu_us"] = directUs / ticks;
    // All the computing the window, the gateway and the checks add, against
    // the device time of the tick.
    state.counters["added_cpu_pct_of_device"] = 100.0 * (gatewayUs - directUs) / 1000.0 / (directMs);
}

}  // namespace

BENCHMARK_CAPTURE(DilutionTick, constant, 10000, "A (constant) in B")
    ->ArgName("journal")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DilutionTick, pulse, 150, "A (pulse) in B")
    ->ArgName("journal")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(GatewayOverhead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGapWhileSaving)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
