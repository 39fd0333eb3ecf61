// The flow program runner: one step after the other, each a mixture set as
// the operator sets it, an optional flush, and a dilution held for its
// minutes.
#include "program_runner.h"

#include "clock.h"
#include "feasibility_report.h"
#include "mixer.h"
#include "mixer_host.h"
#include "window_state.h"
#include "time_units.h"

#include <cmath>

namespace {

// "12:30" (minutes and seconds), or "1:02:30" from an hour on.
// Seconds, a started one counted whole.
long long WholeSeconds(double days)
{
    return std::max(0LL, static_cast<long long>(std::ceil(days * SecondsPerDay - 1e-6)));
}

QString TimeLeft(double days)
{
    const long long seconds = WholeSeconds(days);
    const long long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

}  // namespace

TProgramRunner::TProgramRunner(TMixer& mixer, TWindowState& state, TMixerHost& host, Clock& clock)
    : Mixer_(mixer)
    , S_(state)
    , Host_(host)
    , Clock_(clock)
{
}

std::optional<QString> TProgramRunner::Refusal(const TFlowProgram& program) const
{
    if (Mixer_.Alarm())
        return QStringLiteral("Acknowledge the alarm before starting a program");
    if (Mixer_.FlushRunning())
        return QStringLiteral("Start the program when the flush has ended");
    if (program.empty())
        return QStringLiteral("The program has no step");
    return std::nullopt;
}

bool TProgramRunner::Start(const TFlowProgram& program)
{
    if (const std::optional<QString> refusal = Refusal(program)) {
        Host_.ShowMessage(*refusal);
        return false;
    }
    Stop(QStringLiteral("started again"));
    Program_ = program;
    Step_ = 0;
    Host_.AddDevFeedbackLine(QStringLiteral("Program started: %1 steps").arg(Program_.size()));
    Host_.ProgramRunning(true);
    BeginStep();
    return Running();
}

void TProgramRunner::BeginStep()
{
    Stage_ = TStage::Starting;
    if (OnStepBegins)
        OnStepBegins(Step_);
    TProgramStep& step = Program_[static_cast<std::size_t>(Step_)];
    TSettledMixture settled;
    try {
        settled = Mixer_.SetMixture(step.PpmA, step.PpmH2O, TMixtureSource::Program);
    } catch (...) {
        Stop(QStringLiteral("the step could not be planned"));
        throw;
    }
    step.PpmH2O = settled.w;
    Host_.ShowProgramStep(Step_, step);
    if (!settled.Planned) {
        Stop(QStringLiteral("no plan without both gases chosen"));
        return;
    }
    if (!Mixer_.LastPlan().Feasibility.Deliverable) {
        Stop(NotDeliverableMessage(Mixer_.LastPlan()));
        return;
    }
    if (step.FlushBefore) {
        FlushesBefore_ = Mixer_.FlushesEnded();
        Stage_ = TStage::Flushing;
        Mixer_.EnterFlushing();
    } else {
        Settle();
    }
    Host_.ShowProgramProgress(Progress());
}

void TProgramRunner::Settle()
{
    Stage_ = TStage::Settling;
    SettleEnd_ = Clock_.now() + SettleSeconds / SecondsPerDay;
}

void TProgramRunner::BeginHold()
{
    Mixer_.StartDilution();
    Stage_ = TStage::Holding;
    HoldEnd_ = S_.DilutionStartTime + Program_[static_cast<std::size_t>(Step_)].Minutes / MinutesPerDay;
    if (OnHoldBegins)
        OnHoldBegins(Step_);
}

void TProgramRunner::Tick()
{
    switch (Stage_) {
    case TStage::Idle: return;
    case TStage::Starting: break;
    case TStage::Flushing:
        // The flush runs inside a tick and ends in Standby; whatever ended it
        // otherwise has stopped the program already.
        if (Mixer_.FlushesEnded() != FlushesBefore_)
            Settle();
        break;
    case TStage::Settling:
        if (S_.MixerState != TMixerState::Standby) {
            Stop(QStringLiteral("the mixer left Standby"));
            return;
        }
        if (Clock_.now() >= SettleEnd_)
            BeginHold();
        break;
    case TStage::Holding:
        if (S_.MixerState != TMixerState::Dilution) {
            Stop(QStringLiteral("the mixer left Dilution"));
            return;
        }
        if (Clock_.now() >= HoldEnd_) {
            if (OnStepEnds)
                OnStepEnds(Step_, true);
            if (++Step_ == static_cast<int>(Program_.size())) {
                Finish();
                return;
            }
            BeginStep();
        }
        break;
    }
    if (Running())
        Host_.ShowProgramProgress(Progress());
}

QString TProgramRunner::Progress() const
{
    if (!Running())
        return {};
    return QStringLiteral("Step %1 of %2, %3 left").arg(Step_ + 1).arg(Program_.size()).arg(TimeLeft(DaysLeft()));
}

double TProgramRunner::DaysLeft() const
{
    const TProgramStep& step = Program_[static_cast<std::size_t>(Step_)];
    return Stage_ == TStage::Holding ? HoldEnd_ - Clock_.now() : step.Minutes / MinutesPerDay;
}

long long TProgramRunner::SecondsLeft() const
{
    return Running() ? WholeSeconds(DaysLeft()) : 0;
}

void TProgramRunner::Finish()
{
    Stage_ = TStage::Idle;
    Step_ = static_cast<int>(Program_.size()) - 1;
    Mixer_.EnterStandby();
    Report(QStringLiteral("Program finished: %1 steps").arg(Program_.size()));
}

void TProgramRunner::Stop(const QString& why)
{
    if (!Running())
        return;
    Stage_ = TStage::Idle;
    if (OnStepEnds)
        OnStepEnds(Step_, false);
    Report(QStringLiteral("Program stopped in step %1 of %2: %3").arg(Step_ + 1).arg(Program_.size()).arg(why));
}

void TProgramRunner::Report(const QString& text)
{
    Host_.AddDevFeedbackLine(text);
    Host_.ShowProgramProgress(text);
    Host_.ProgramRunning(false);
}
