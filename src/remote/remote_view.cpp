#include "remote_view.h"

#include "mixer_core.h"
#include "mixer_service.h"

void TRemoteView::Publish(const TMixerCore& c)
{
    TRemoteSnapshot s;
    s.RequestA = c.State.Request.a;
    s.RequestW = c.State.Request.w;
    s.State = c.State.MixerState;
    s.Method = c.State.MixingMethod;
    s.Alarm = c.Mixer.Alarm() ? c.Mixer.Alarm()->Cause : std::string();
    s.Program = ProgramStateReply(c);
    s.Readout = c.Mixer.Readout();
    const std::lock_guard<std::mutex> lock(mutex_);
    snapshot_ = std::move(s);
}

TRemoteSnapshot TRemoteView::Now() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return snapshot_;
}

std::shared_ptr<TRemoteView> ObserveForRemote(TMixerService& service)
{
    auto view = std::make_shared<TRemoteView>();
    service.Observe([view](const TMixerCore& c) { view->Publish(c); });
    // A first snapshot now, not at the next tick.
    service.Post([](TMixerCore&) {});
    return view;
}

std::string ProgramStateReply(const TMixerCore& c)
{
    const TProgramRunner& runner = c.Mixer.Program();
    if (!runner.Running())
        return "IDLE";
    return "RUN," + std::to_string(runner.Step() + 1) + "," + std::to_string(runner.Program().size()) + ","
        + std::to_string(runner.SecondsLeft());
}
