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
#include "operator_dialogs.h"
#include "relay_board_model.h"
#include "rt_integer_edit.h"
#include "serial_lines.h"
#include "simulated_port.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>

#include <algorithm>
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
    const double ticks = static_cast<double>(state.iterations());
    state.counters["device_ms"] = totalMs / ticks;
    state.counters["device_ms_max"] = longestMs;
    state.counters["own_waits_ms"] = waitsMs / ticks;
    state.counters["share_of_250ms"] = totalMs / ticks / TickPeriodMs;
    state.counters["gas_A_pulses_per_tick"] = rig.form.WindowState.Counter / ticks;
}

}  // namespace

BENCHMARK_CAPTURE(DilutionTick, constant, 10000, "A (constant) in B")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DilutionTick, pulse, 150, "A (pulse) in B")->Unit(benchmark::kMicrosecond);

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
