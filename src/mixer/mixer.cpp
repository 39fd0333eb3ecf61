#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "log_table_model.h"
#include "mixer_host.h"
#include "mixing_methods.h"

#include <exception>

namespace {

// One second in days, the logging interval while flushing or diluting.
constexpr long double Second = 1.0L / 86400.0L;

// The flush: each step shows its status, switches the valves and holds them
// for its time.
struct TFlushStep {
    const char* Status;
    int Valves[6];
    unsigned HoldMs;
};
constexpr TFlushStep FlushSteps[] = {
    {"Flush bypass line with gas B (2 sec)", {0, 0, 1, 0, 0, 0}, 2000},
    {"Flush bubbler and chambers (5 sec)", {1, 1, 0, 0, 0, 1}, 5000},
    {"Flush chambers with dry (2 sec)", {0, 0, 0, 1, 0, 1}, 2000},
};

}  // namespace

TMixer::TMixer(TWindowState& state, TEquipmentGateway& gateway, TLogTableModel& log, TMixerHost& host, Clock& clock)
    : S_(state)
    , Gateway_(gateway)
    , Log_(log)
    , Host_(host)
    , Clock_(clock)
{
}

void TMixer::ButtonStopClick()
{
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
}

void TMixer::ButtonFlushClick()
{
    S_.MixerState = TMixerState::Flushing;
    Host_.ShowStatus(QStringLiteral("Flushing"));
}

void TMixer::ButtonBypassClick()
{
    S_.MixerState = TMixerState::Bypass;
    Host_.ShowStatus(QStringLiteral("Bypass"));
}

void TMixer::ButtonDilutionClick()
{
    // Every dilution may report a missing vapour pressure once.
    NoWaterReported_ = false;
    Host_.ShowStatus(QStringLiteral("Dilution"));
    S_.MixerState = TMixerState::Dilution;
    Calculate();
    Gateway_.ResetRetrieveTotalizers(S_.TotalizerA, S_.TotalizerB);
    // The water time counts from here, once the plan and the totalizer
    // reset are done.
    S_.DilutionStartTime = Clock_.now();
}

void TMixer::Timer1Timer()
{
    // The flush's pumps run handlers, never a second tick.
    if (FlushRunning_)
        return;

    // A row that cannot be stored must not keep the state's commands from
    // the equipment (Stop must still close the valves): the error is raised
    // once the state has acted.
    std::exception_ptr logFailure;
    try {
        LogStep();
    } catch (...) {
        logFailure = std::current_exception();
    }
    S_.MixerStateOld = S_.MixerState;
    Act();
    if (logFailure)
        std::rethrow_exception(logFailure);
}

void TMixer::LogStep()
{
    if (S_.MixerStateOld != S_.MixerState) {
        StoreData();
        return;
    }
    const bool active = S_.MixerState == TMixerState::Flushing || S_.MixerState == TMixerState::Dilution;
    const long double sinceRow = static_cast<long double>(Clock_.now()) - S_.DataStoredLast;
    if (active && sinceRow > Second)
        StoreData();
}

void TMixer::Act()
{
    switch (S_.MixerState) {
    case TMixerState::Unknown: break;
    case TMixerState::Standby: HoldStandby(); break;
    case TMixerState::Flushing: Flush(); break;
    case TMixerState::Dilution: Dispatch(); break;
    case TMixerState::Bypass: HoldBypass(); break;
    }
}

void TMixer::HoldStandby()
{
    Gateway_.SetValvePositions(0, 0, 0, 0, 0, 0);
    Gateway_.SetMFCFlow(1, 0.0);
    Gateway_.SetMFCFlow(2, 0.0);
}

void TMixer::HoldBypass()
{
    Gateway_.SetValvePositions(0, 0, 1, 0, 0, 0);
    Gateway_.SetMFCFlow(1, 0.0);
    Gateway_.SetMFCFlow(2, S_.PossibleMaxFlowBGramsperMinute);
}

void TMixer::WindowClosing()
{
    WindowClosing_ = true;
}

void TMixer::Flush()
{
    // Runs to its end whatever the buttons do meanwhile, always ending in
    // Standby with the timer running again. A close of the window, handled
    // in one of the pumps, cuts the remaining steps short: the window has
    // already closed the valves, and the flush only makes sure gas B is off
    // and every valve closed before it returns.
    struct TFlushScope {
        TMixer& M;
        ~TFlushScope()
        {
            M.FlushRunning_ = false;
            if (!M.WindowClosing_)
                M.Host_.SetTimerEnabled(true);
        }
    };
    FlushRunning_ = true;
    TFlushScope scope{*this};
    auto pump = [this] {
        Host_.ProcessMessages();
        return !WindowClosing_;
    };

    if (!pump()) {
        S_.MixerState = TMixerState::Standby;
        return;
    }
    Host_.SetTimerEnabled(false);
    Gateway_.SetMFCFlow(2, S_.PossibleMaxFlowBGramsperMinute);
    bool open = true;
    for (const TFlushStep& step : FlushSteps) {
        Host_.ShowStatus(QString::fromLatin1(step.Status));
        const int* v = step.Valves;
        Gateway_.SetValvePositions(v[0], v[1], v[2], v[3], v[4], v[5]);
        open = pump();
        if (!open)
            break;
        Clock_.sleepMs(step.HoldMs);
    }
    Gateway_.SetMFCFlow(2, 0.0);
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
    if (open)
        pump();
    Gateway_.SetValvePositions(0, 0, 0, 0, 0, 0);
}

void TMixer::Dispatch()
{
    const TMethodSteps steps = StepsOfMethod(S_.MixingMethod);
    if (!steps.Supported) {
        Host_.AddPlanLine(QString());
        Host_.AddPlanLine(QStringLiteral("Mixing method ") + QString::fromStdString(S_.MixingMethod));
        Host_.AddPlanLine(QStringLiteral("is not supported yet. Please define new mixture."));
        S_.MixerState = TMixerState::Standby;
        Host_.ShowStatus(QStringLiteral("Standby"));
        return;
    }
    Gateway_.ReadTotalizers(S_.TotalizerA, S_.TotalizerB);
    ConstantFlow();
    if (steps.PulseGasA)
        AinBPulse();
    SendH2O();
}
