#include "remote_commands.h"

#include "feasibility_report.h"
#include "limit_messages.h"
#include "mixer_core.h"
#include "mixer_host.h"
#include "remote_view.h"
#include "scpi_reply.h"

#include <cmath>

#ifndef DILUTRA_VERSION
#define DILUTRA_VERSION "0"
#endif

namespace {

using TId = TScpiCommandId;

constexpr const char* NotSetUp = "Validate the equipment and select the gases first";

void Refuse(TRemoteOutcome& out, const QString& why)
{
    out.Errors.push_back({ScpiError::SettingsConflict, why.toStdString()});
}

// Setting the mixture and starting the rig wait for the setup, as the
// Operation page does.
bool SetUp(const TMixerCore& c, TRemoteOutcome& out)
{
    if (c.Setup.State().Complete())
        return true;
    Refuse(out, QString::fromLatin1(NotSetUp));
    return false;
}

// A whole ppm within [0, high]; -222 otherwise.
std::optional<std::int32_t> Ppm(double value, std::int32_t high, TRemoteOutcome& out, const std::string& source)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= 0.0 && rounded <= high)) {
        out.Errors.push_back({ScpiError::OutOfRange, source});
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

void SetMixture(TMixerCore& c, std::int32_t a, std::int32_t w, TRemoteOutcome& out)
{
    if (!SetUp(c, out))
        return;
    c.Mixer.SetMixture(a, w, TMixtureSource::Remote, 0);
    // A correction of the water, numbered, in the words the window tells it
    // (the limits are those the request was just held to, at the vapour
    // pressure just read).
    const double p = c.State.pH2O;
    const TWaterLimits limits = ApplyWaterLimits(a, w, p);
    const int code = limits.RaisedToMinimum ? ScpiError::WaterBelowMinimum : ScpiError::WaterAboveMaximum;
    for (const QString& message : OperatorLimitMessages(a, w, p, limits))
        out.Errors.push_back({code, message.toStdString()});
}

// Stop, *RST and PROGram:STOP: nothing to stop before the mixer has been
// started.
void Stop(TMixerCore& c, bool programOnly)
{
    if (c.State.MixerState == TMixerState::Unknown)
        return;
    if (programOnly)
        c.Mixer.StopProgram();
    else
        c.Mixer.ButtonStopClick();
}

void StateButton(TMixerCore& c, int choice, TRemoteOutcome& out)
{
    if (choice == 0) {
        Stop(c, false);
        return;
    }
    if (!SetUp(c, out))
        return;
    if (const std::optional<QString> refusal = c.Mixer.ButtonRefusal()) {
        Refuse(out, *refusal);
        return;
    }
    switch (choice) {
    case 1: c.Mixer.ButtonFlushClick(); break;
    case 2: c.Mixer.ButtonBypassClick(); break;
    default:
        c.Mixer.ButtonDilutionClick();
        // A plan the pulses cannot deliver is refused before any gas flows.
        if (!c.Mixer.LastPlan().Feasibility.Deliverable)
            Refuse(out, NotDeliverableMessage(c.Mixer.LastPlan()));
        break;
    }
}

void StartProgram(TMixerCore& c, const TFlowProgram& program, TRemoteOutcome& out)
{
    if (!SetUp(c, out))
        return;
    if (const std::optional<QString> refusal = c.Mixer.Program().Refusal(program)) {
        Refuse(out, *refusal);
        return;
    }
    // A first step the pulses cannot deliver stops the program at once.
    if (!c.Mixer.StartProgram(program))
        Refuse(out,
               c.Mixer.LastPlan().Feasibility.Deliverable ? QStringLiteral("The program stopped at its first step")
                                                          : NotDeliverableMessage(c.Mixer.LastPlan()));
}

// PROGram:STEP:ADD: the ranges of a program file's step.
void AddStep(const TScpiCommand& command, TRemoteClientState& client, TRemoteOutcome& out)
{
    const std::vector<double>& n = command.Numbers;
    const auto a = Ppm(n[0], ProgramPpmMax, out, command.Source);
    const auto w = a ? Ppm(n[1], ProgramWaterPpmMax, out, command.Source) : std::nullopt;
    if (!a || !w)
        return;
    if (!(n[2] > 0.0 && n[2] <= ProgramMinutesMax)) {
        out.Errors.push_back({ScpiError::OutOfRange, "minutes above 0, at most ten days: " + command.Source});
        return;
    }
    if (client.Program.size() >= static_cast<std::size_t>(ProgramStepsMax)) {
        out.Errors.push_back({ScpiError::OutOfRange, "a program holds at most 10000 steps"});
        return;
    }
    client.Program.push_back({*a, *w, n[2], n[3] != 0.0});
}

// A query, answered in its turn from the core's latest snapshot.
template <class Reply> TRemoteStep Query(std::shared_ptr<const TRemoteView> view, Reply reply)
{
    TRemoteStep step;
    step.InOrder
        = [view = std::move(view), reply](TRemoteClientState&, TRemoteOutcome& out) { out.Reply = reply(view->Now()); };
    return step;
}

TRemoteStep Action(std::function<void(TMixerCore&, TRemoteOutcome&)> action, bool tickSoon = false)
{
    TRemoteStep step;
    step.OnCore = std::move(action);
    step.TickSoon = tickSoon;
    return step;
}

TRemoteStep Local(std::function<void(TRemoteClientState&, TRemoteOutcome&)> inOrder)
{
    TRemoteStep step;
    step.InOrder = std::move(inOrder);
    return step;
}

TRemoteStep Setting(const TScpiCommand& command)
{
    switch (command.Id) {
    case TId::Rst: return Action([](TMixerCore& c, TRemoteOutcome&) { Stop(c, false); }, true);
    case TId::SourceGasA:
    case TId::SourceWater: {
        TRemoteStep step;
        const bool gasA = command.Id == TId::SourceGasA;
        const auto ppm
            = Ppm(command.Numbers[0], gasA ? ProgramPpmMax : ProgramWaterPpmMax, step.Outcome, command.Source);
        if (ppm) {
            step.OnCore = [gasA, v = *ppm](TMixerCore& c, TRemoteOutcome& out) {
                SetMixture(c, gasA ? v : c.State.Request.a, gasA ? c.State.Request.w : v, out);
            };
        }
        return step;
    }
    case TId::MixerState:
        return Action([choice = command.Choice](TMixerCore& c, TRemoteOutcome& out) { StateButton(c, choice, out); },
                      command.Choice == 0);
    case TId::ProgramStop: return Action([](TMixerCore& c, TRemoteOutcome&) { Stop(c, true); }, true);
    case TId::AlarmAcknowledge: return Action([](TMixerCore& c, TRemoteOutcome&) { c.Mixer.AcknowledgeAlarm(); });
    case TId::LogMark: return Action([text = command.Text](TMixerCore& c, TRemoteOutcome&) { c.Mixer.MarkLog(text); });
    default: return {};
    }
}

}  // namespace

std::string RemoteIdentity()
{
    return std::string("Dilutra,dilutra,0,") + DILUTRA_VERSION;
}

TRemoteStep RemoteStep(const TScpiCommand& command, TRemoteClientState& client,
                       const std::shared_ptr<const TRemoteView>& view)
{
    using TSnap = TRemoteSnapshot;
    switch (command.Id) {
    case TId::Idn: return Local([](TRemoteClientState&, TRemoteOutcome& out) { out.Reply = RemoteIdentity(); });
    case TId::Cls: return Local([](TRemoteClientState& s, TRemoteOutcome&) { s.Errors.Clear(); });
    case TId::Opc: return Action([](TMixerCore&, TRemoteOutcome& out) { out.Reply = "1"; });
    case TId::SystemError:
        return Local([](TRemoteClientState& s, TRemoteOutcome& out) { out.Reply = s.Errors.Next(); });
    case TId::SourceGasA:
    case TId::SourceWater:
        if (command.Query) {
            const bool gasA = command.Id == TId::SourceGasA;
            return Query(view, [gasA](const TSnap& s) { return std::to_string(gasA ? s.RequestA : s.RequestW); });
        }
        return Setting(command);
    case TId::MixerState:
        if (command.Query)
            return Query(view, [](const TSnap& s) { return std::string(MixerStateName(s.State)); });
        return Setting(command);
    case TId::MixerMethod: return Query(view, [](const TSnap& s) { return ScpiQuoted(MixingMethodName(s.Method)); });
    case TId::MeasureGasA: return Query(view, [](const TSnap& s) { return ScpiNumber(s.Readout.PpmA); });
    case TId::MeasureWater: return Query(view, [](const TSnap& s) { return ScpiNumber(s.Readout.PpmH2O); });
    case TId::MeasureFlowA: return Query(view, [](const TSnap& s) { return ScpiNumber(s.Readout.FlowA); });
    case TId::MeasureFlowB: return Query(view, [](const TSnap& s) { return ScpiNumber(s.Readout.FlowB); });
    case TId::MeasureBubbler: return Query(view, [](const TSnap& s) { return ScpiNumber(s.Readout.BubblerC); });
    case TId::ProgramClear: client.Program.clear(); return {};
    case TId::ProgramStepAdd: {
        TRemoteStep step;
        AddStep(command, client, step.Outcome);
        return step;
    }
    case TId::ProgramStepCount: {
        TRemoteStep step;
        step.Outcome.Reply = std::to_string(client.Program.size());
        return step;
    }
    case TId::ProgramStart:
        return Action(
            [program = client.Program](TMixerCore& c, TRemoteOutcome& out) { StartProgram(c, program, out); });
    case TId::ProgramState: return Query(view, [](const TSnap& s) { return s.Program; });
    case TId::Alarm: return Query(view, [](const TSnap& s) { return ScpiQuoted(s.Alarm); });
    case TId::LogRows: return Query(view, [](const TSnap& s) { return std::to_string(s.Readout.LogRows); });
    default: return Setting(command);
    }
}
