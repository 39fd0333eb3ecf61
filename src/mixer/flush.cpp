// The flush: gas B at its controller's maximum through the bypass line, the
// bubbler and the chambers, then the chambers dry, each step held for its
// time while the ticks go on; it ends in Standby with every valve closed.
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mixer_host.h"
#include "relay_commands.h"
#include "time_units.h"

#include <iterator>

namespace {

// Each step shows its status, switches the valves and holds them for its
// time.
struct TFlushStep {
    const char* Status;
    std::uint8_t Valves;
    unsigned HoldMs;
};
constexpr TFlushStep FlushSteps[] = {
    {"Flush bypass line with gas B (2 sec)", ValvesBypass, 2000},
    {"Flush bubbler and chambers (5 sec)", ValvesFlushBubbler, 5000},
    {"Flush chambers with dry (2 sec)", ValvesFlushDry, 2000},
};

}  // namespace

void TMixer::BeginFlush()
{
    FlushRunning_ = true;
    FlushStep_ = 0;
    Gateway_.SetMFCFlow(2, S_.PossibleMaxFlowBGramsperMinute);
    FlushStep();
}

void TMixer::FlushStep()
{
    const TFlushStep& step = FlushSteps[FlushStep_];
    Host_.ShowStatus(QString::fromLatin1(step.Status));
    Gateway_.SetValves(step.Valves);
    // The hold counts from the moment the valves have switched.
    FlushHoldEnd_ = Clock_.now() + DaysFromMs(step.HoldMs);
}

void TMixer::ContinueFlush()
{
    if (Clock_.now() < FlushHoldEnd_)
        return;
    if (++FlushStep_ < std::size(FlushSteps))
        FlushStep();
    else
        EndFlush();
}

void TMixer::EndFlush()
{
    FlushRunning_ = false;
    ++FlushesEnded_;
    Gateway_.SetMFCFlow(2, 0.0);
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
    Gateway_.SetValves(ValvesAllClosed);
}

void TMixer::WindowClosing()
{
    WindowClosing_ = true;
    if (FlushRunning_) {
        EndFlush();
    } else if (S_.MixerState == TMixerState::Flushing) {
        // A flush asked for and not begun never runs.
        S_.MixerState = TMixerState::Standby;
        Host_.ShowStatus(QStringLiteral("Standby"));
    }
}
