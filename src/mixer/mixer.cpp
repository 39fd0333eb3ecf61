#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "failure_reason.h"
#include "log_row.h"
#include "mixer_host.h"
#include "feasibility_report.h"
#include "mixing_methods.h"
#include "relay_commands.h"
#include "time_picture.h"
#include "time_units.h"

#include <algorithm>
#include <exception>

namespace {

// One second in days, the logging interval while flushing or diluting.
constexpr long double Second = 1.0L / SecondsPerDay;

}  // namespace

TMixer::TMixer(TWindowState& state, TEquipmentGateway& gateway, const TSetupState& setup, TMixerHost& host,
               Clock& clock)
    : S_(state)
    , Gateway_(gateway)
    , Setup_(setup)
    , Host_(host)
    , Clock_(clock)
    , Supervisor_(state, gateway, clock)
    , Program_(*this, state, host, clock)
{
    // Every failed exchange shows on the Debug page; the supervision judges
    // whether it matters.
    Gateway_.OnOutcome = [this](const TEquipmentOutcome& outcome) {
        // A bubbler reading tells its own failure there.
        if (!outcome.Status.empty() && outcome.Command != "bubbler")
            Trace(QStringLiteral("%1 %2 failed: %3")
                      .arg(QLatin1String(DeviceName(outcome.Device)), QString::fromStdString(outcome.Command),
                           QString::fromStdString(PlainReason(outcome.Status))));
    };
}

void TMixer::ButtonStopClick()
{
    Program_.Stop(QStringLiteral("Stop"));
    EnterStandby();
}

void TMixer::StopProgram()
{
    Program_.Stop(QStringLiteral("Stop program"));
    EnterStandby();
}

void TMixer::EnterStandby()
{
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
    // Stop ends a running flush at once.
    if (FlushRunning_)
        EndFlush();
}

std::optional<QString> TMixer::ButtonRefusal() const
{
    if (!Alarm_)
        return std::nullopt;
    return QStringLiteral("Acknowledge the alarm before Flush, Bypass or Dilution");
}

bool TMixer::RefusedByAlarm()
{
    const std::optional<QString> refusal = ButtonRefusal();
    if (refusal)
        Host_.ShowMessage(*refusal);
    return refusal.has_value();
}

void TMixer::ButtonFlushClick()
{
    if (RefusedByAlarm())
        return;
    Program_.Stop(QStringLiteral("Flush"));
    EnterFlushing();
}

void TMixer::EnterFlushing()
{
    S_.MixerState = TMixerState::Flushing;
    Host_.ShowStatus(QStringLiteral("Flushing"));
}

void TMixer::ButtonBypassClick()
{
    if (RefusedByAlarm())
        return;
    Program_.Stop(QStringLiteral("Bypass"));
    S_.MixerState = TMixerState::Bypass;
    Host_.ShowStatus(QStringLiteral("Bypass"));
}

void TMixer::ButtonDilutionClick()
{
    if (RefusedByAlarm())
        return;
    Program_.Stop(QStringLiteral("Dilution"));
    StartDilution();
}

void TMixer::StartDilution()
{
    // Every dilution may report a missing vapour pressure once.
    NoWaterReported_ = false;
    Host_.ShowStatus(QStringLiteral("Dilution"));
    S_.MixerState = TMixerState::Dilution;
    if (Calculate() && !LastPlan_.Feasibility.Deliverable) {
        // Refused before any gas flows: the pulses could not deliver it.
        const QString why = NotDeliverableMessage(LastPlan_);
        Trace(why);
        EnterStandby();
        Host_.ShowMessage(why);
        return;
    }
    Gateway_.ResetRetrieveTotalizers(S_.TotalizerA, S_.TotalizerB);
    // The water time counts from here, once the plan and the totalizer
    // reset are done.
    S_.DilutionStartTime = Clock_.now();
}

void TMixer::Timer1Timer()
{
    // A running flush holds its valves across ticks: nothing is logged and
    // no state acts until it has ended, whatever the buttons asked for
    // meanwhile.
    if (WindowClosing_)
        return;
    if (FlushRunning_) {
        ContinueFlush();
        Program_.Tick();
        FollowDelivery();
        return;
    }

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
    const TMixerState acting = S_.MixerState;
    Act();
    if (S_.MixerState == acting)
        Supervise(acting);
    Program_.Tick();
    FollowDelivery();
    if (logFailure)
        std::rethrow_exception(logFailure);
}

void TMixer::Supervise(TMixerState acting)
{
    // Standby is held by commands sent every tick: a device that does not
    // confirm them may be letting gas through.
    if (acting == TMixerState::Standby) {
        if (!Alarm_)
            if (const auto cause = Supervisor_.StandbyUnconfirmed())
                RaiseAlarm(*cause);
        return;
    }
    if (acting != TMixerState::Dilution && acting != TMixerState::Bypass)
        return;
    // Bypass sends gas B at a steady set-point; a dilution doses as its
    // method says.
    const TMethodSteps steps
        = acting == TMixerState::Dilution ? StepsOfMethod(S_.MixingMethod, Rules_) : TMethodSteps{};
    if (const auto cause = Supervisor_.Check(steps))
        RaiseAlarm(*cause);
}

void TMixer::RaiseAlarm(const std::string& cause)
{
    Alarm_ = TAlarm{cause, Clock_.now(), Clock_.wallNow()};
    Program_.Stop(QStringLiteral("an alarm"));
    // The rig first: every device that still answers closes and stops now.
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
    HoldStandby();

    const QString text = QString::fromStdString(cause);
    Host_.ShowAlarm(FormatDayCount(QStringLiteral("hh:nn:ss"), Alarm_->AtWall) + QStringLiteral("  ") + text);
    Trace(QStringLiteral("Alarm: ") + text);
    // The log's file separates its cells with semicolons.
    std::string logged = cause;
    std::replace(logged.begin(), logged.end(), ';', ',');
    StoreRow(AlarmRow(Alarm_->AtWall, logged));
}

void TMixer::AcknowledgeAlarm()
{
    Alarm_.reset();
    Host_.ClearAlarm();
}

void TMixer::StopAndMakeSafe()
{
    Program_.Stop(QStringLiteral("the rig was made safe"));
    EnterStandby();
    HoldStandby();
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
    case TMixerState::Flushing: BeginFlush(); break;
    case TMixerState::Dilution: Dispatch(); break;
    case TMixerState::Bypass: HoldBypass(); break;
    }
}

void TMixer::HoldStandby()
{
    Gateway_.SetValves(ValvesAllClosed);
    Gateway_.SetMFCFlow(1, 0.0);
    Gateway_.SetMFCFlow(2, 0.0);
}

void TMixer::HoldBypass()
{
    Gateway_.SetValves(ValvesBypass);
    Gateway_.SetMFCFlow(1, 0.0);
    Gateway_.SetMFCFlow(2, S_.PossibleMaxFlowBGramsperMinute);
    // The set-points are only written: a read shows whether the controllers
    // still answer, and gives gas B's flow.
    Gateway_.SignOfLife();
}

void TMixer::Dispatch()
{
    const TMethodSteps steps = StepsOfMethod(S_.MixingMethod, Rules_);
    if (!steps.Supported) {
        Host_.AddPlanLine(QString());
        Host_.AddPlanLine(QStringLiteral("Mixing method ") + QString::fromLatin1(MixingMethodName(S_.MixingMethod)));
        Host_.AddPlanLine(QStringLiteral("is not supported yet. Please define new mixture."));
        S_.MixerState = TMixerState::Standby;
        Host_.ShowStatus(QStringLiteral("Standby"));
        return;
    }
    Gateway_.ReadTotalizers(S_.TotalizerA, S_.TotalizerB);
    ConstantFlow();
    if (steps.PulseGasA)
        AinBPulse();
    if (steps.PulseGasB)
        BinAPulse();
    SendH2O();
}
