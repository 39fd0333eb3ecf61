// The device time of one Dilution tick on the simulated rig against the
// 250 ms period of Timer1: the whole window, both flow controllers and the
// relay board in-process on the fake clock. Device time is the fake clock's
// advance during the tick: the program's own waits (pauses after frames,
// the gas A pulse) plus the modelled line and device time (wire time at the
// line's speed, reply delays, the silence that ends each read). It is what
// the tick would block the window for on equipment that answers like the
// models; the benchmark's own time is the computing around it.
#include "clock.h"
#include "compounds.h"
#include "form1.h"
#include "mfc_bus_model.h"
#include "mfc_services.h"
#include "operator_dialogs.h"
#include "relay_board.h"
#include "relay_board_model.h"
#include "relay_commands.h"
#include "rt_integer_edit.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

namespace {

constexpr double MsPerDay = 86400000.0;
constexpr double TickPeriodMs = 250.0;

class SilentDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString&) override {}
    void ShowError(QWidget*, const QString& text) override { Errors.push_back(text.toStdString()); }
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
    TForm1 form{TFormServices{clock, dialogs, lines}};

    // Oxygen in argon on validated equipment, diluting `ppm` of oxygen.
    explicit Rig(int ppm)
    {
        registerSimulatedPort(lines, "SIM-MFC", mfcPort);
        registerSimulatedPort(lines, "SIM-RELAY", relayPort);
        form.ListBoxPortMFC->addItem(QStringLiteral("SIM-MFC"));
        form.ListBoxPortMFC->setCurrentRow(0);
        form.ListBoxPortSolenoid->addItem(QStringLiteral("SIM-RELAY"));
        form.ListBoxPortSolenoid->setCurrentRow(0);
        form.ButtonSetupValidateClick();
        form.ListBoxSetupGas1->setCurrentRow(0);
        form.ListBoxSetupGas2->setCurrentRow(0);
        form.MinMaxFlow("SIM-MFC", 1);
        form.MinMaxFlow("SIM-MFC", 2);
        form.WindowState.A = GetCompound("O2");
        form.WindowState.B = GetCompound("Ar");
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
    Rig rig(ppm);
    if (rig.form.WindowState.MixingMethod != method) {
        state.SkipWithError(("planned " + rig.form.WindowState.MixingMethod).c_str());
        return;
    }
    rig.form.Timer1Timer();  // the first tick sends the set-points; steady ticks follow
    rig.clock.advanceMs(TickPeriodMs);

    double totalMs = 0.0, longestMs = 0.0, waitsMs = 0.0;
    for (auto _ : state) {
        const double start = rig.clock.now();
        const std::uint64_t sleptBefore = rig.clock.sleptMs();
        rig.form.Timer1Timer();
        const double tookMs = (rig.clock.now() - start) * MsPerDay;
        totalMs += tookMs;
        waitsMs += static_cast<double>(rig.clock.sleptMs() - sleptBefore);
        longestMs = std::max(longestMs, tookMs);
        if (tookMs < TickPeriodMs)
            rig.clock.advanceMs(TickPeriodMs - tookMs);
    }
    if (!rig.dialogs.Errors.empty())
        state.SkipWithError(rig.dialogs.Errors.front().c_str());
    if (rig.form.Mixer().Alarm())
        state.SkipWithError(rig.form.Mixer().Alarm()->Cause.c_str());
    const double ticks = static_cast<double>(state.iterations());
    state.counters["device_ms"] = totalMs / ticks;
    state.counters["device_ms_max"] = longestMs;
    state.counters["own_waits_ms"] = waitsMs / ticks;
    state.counters["share_of_250ms"] = totalMs / ticks / TickPeriodMs;
    state.counters["gas_A_pulses_per_tick"] = rig.form.WindowState.Counter / ticks;
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
    if (viaGateway.form.WindowState.MixingMethod != "A (constant) in B") {
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
        tick(viaGateway, [&] { viaGateway.form.Timer1Timer(); }, gatewayMs, gatewayUs);
        tick(direct,
             [&] {
                 ReadTotalizers(bus, a, b);
                 SendValvePattern(board, dryPath);
             },
             directMs, directUs);
    }
    if (!viaGateway.dialogs.Errors.empty())
        state.SkipWithError(viaGateway.dialogs.Errors.front().c_str());
    if (viaGateway.form.Mixer().Alarm())
        state.SkipWithError(viaGateway.form.Mixer().Alarm()->Cause.c_str());
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

} // namespace

BENCHMARK_CAPTURE(DilutionTick, constant, 10000, "A (constant) in B")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DilutionTick, pulse, 150, "A (pulse) in B")->Unit(benchmark::kMicrosecond);
BENCHMARK(GatewayOverhead)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
