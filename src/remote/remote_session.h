#pragma once

#include "remote_commands.h"
#include "scpi_lines.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TMixerService;
class TRemoteView;

// One client's commands, from the bytes it sends to the replies it gets,
// apart from any socket: its lines cut and parsed, each command carried out
// by the mixer core in the order received, the errors queued in that order,
// and the replies of one line joined with ';' and ended by LF once every
// command of the line is done. Commands wait for the core at most
// MaxWaiting at a time; the rest of what was received waits here, and the
// connection is not read meanwhile (Busy), so a client that floods holds up
// only itself.
class TRemoteSession : public std::enable_shared_from_this<TRemoteSession> {
public:
    static constexpr std::size_t MaxWaiting = 8;

    // `send` gets each reply line, LF included; queries are answered from
    // `view` (ObserveForRemote). Lives on the service's owner's thread.
    TRemoteSession(TMixerService& service, std::shared_ptr<const TRemoteView> view, std::string peer,
                   std::function<void(const std::string&)> send);
    TRemoteSession(const TRemoteSession&) = delete;
    TRemoteSession& operator=(const TRemoteSession&) = delete;

    void Receive(std::string_view bytes);
    // Commands received and not yet carried out are as many as may wait.
    bool Busy() const;
    // Called whenever a command is done while the session is not busy: the
    // connection may be read again.
    std::function<void()> OnReady;
    // The client has gone: nothing is sent any more; the commands already
    // with the core are carried out all the same, the rest dropped.
    void Detach();

    const TRemoteClientState& State() const { return state_; }

private:
    // One received command (or error, or the end of a line) on its way to
    // its reply.
    struct TEntry {
        std::uint64_t Id = 0;
        std::shared_ptr<TRemoteOutcome> Outcome;
        std::function<void(TRemoteClientState&, TRemoteOutcome&)> InOrder;
        bool Done = true;
        bool LineEnd = false;
    };
    // What was received and not yet given to the core.
    struct TWaiting {
        std::optional<TScpiCommand> Command;
        TScpiError Error;
        bool LineEnd = false;
    };

    void Dispatch();
    void Start(TWaiting item);
    void Completed(std::uint64_t id);
    void Flush();
    std::string DebugLine(const std::string& source) const;

    TMixerService& service_;
    std::shared_ptr<const TRemoteView> view_;
    std::function<void(const std::string&)> send_;
    TRemoteClientState state_;
    TScpiLineBuffer lines_;
    std::deque<TWaiting> waiting_;
    std::deque<TEntry> entries_;
    std::string replies_;  // the replies of the line being answered, ';' between them
    std::size_t withCore_ = 0;
    std::uint64_t nextId_ = 1;
    bool dispatching_ = false;
    bool detached_ = false;
};
