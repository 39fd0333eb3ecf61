#pragma once

#include "mixer_state.h"
#include "mixing_method.h"
#include "readout.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class TMixerCore;
class TMixerService;

// What the server's queries answer, as the core stood after its latest tick
// or command: the request as settled, the state, the method, the alarm, the
// program and the readout.
struct TRemoteSnapshot {
    std::int32_t RequestA = 0;
    std::int32_t RequestW = 0;
    TMixerState State = TMixerState::Unknown;
    TMixingMethod Method = TMixingMethod::None;
    std::string Alarm;  // the cause, "" when none waits
    std::string Program = "IDLE";
    TReadout Readout;
};

// The snapshot the core publishes after every tick and command (on its own
// thread) and the server's sessions read (on theirs), so that a query waits
// for no tick. A query a client sends after a command is answered once that
// command is done, so it sees what the command did.
class TRemoteView {
public:
    void Publish(const TMixerCore& core);
    TRemoteSnapshot Now() const;

private:
    mutable std::mutex mutex_;
    TRemoteSnapshot snapshot_;
};

// A view the service keeps up to date from now on.
std::shared_ptr<TRemoteView> ObserveForRemote(TMixerService& service);

// PROGram:STATe?'s reply: "IDLE", or "RUN,<step>,<steps>,<seconds left>".
std::string ProgramStateReply(const TMixerCore& core);
