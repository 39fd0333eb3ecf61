#include "remote_session.h"

#include "mixer_core.h"
#include "mixer_host.h"
#include "mixer_service.h"

#include <exception>

TRemoteSession::TRemoteSession(TMixerService& service, std::shared_ptr<const TRemoteView> view, std::string peer,
                               std::function<void(const std::string&)> send)
    : service_(service)
    , view_(std::move(view))
    , send_(std::move(send))
{
    state_.Peer = std::move(peer);
}

void TRemoteSession::Receive(std::string_view bytes)
{
    if (detached_)
        return;
    std::vector<TScpiLineBuffer::TLine> lines;
    lines_.Append(bytes, lines);
    for (TScpiLineBuffer::TLine& line : lines) {
        if (line.Overrun) {
            waiting_.push_back({std::nullopt, {ScpiError::InputOverrun, {}}, false});
            continue;
        }
        for (TScpiParsed& parsed : ParseScpiLine(line.Text))
            waiting_.push_back({std::move(parsed.Command), std::move(parsed.Error), false});
        waiting_.push_back({std::nullopt, {}, true});
    }
    Dispatch();
}

bool TRemoteSession::Busy() const
{
    return withCore_ >= MaxWaiting || !waiting_.empty();
}

void TRemoteSession::Detach()
{
    detached_ = true;
    send_ = nullptr;
    OnReady = nullptr;
    waiting_.clear();
}

void TRemoteSession::Dispatch()
{
    // A core on the caller's thread completes a command inside Start: the
    // loop that is running goes on with the next one.
    if (dispatching_)
        return;
    dispatching_ = true;
    while (!waiting_.empty() && withCore_ < MaxWaiting) {
        TWaiting item = std::move(waiting_.front());
        waiting_.pop_front();
        Start(std::move(item));
    }
    dispatching_ = false;
    Flush();
}

void TRemoteSession::Start(TWaiting item)
{
    TEntry entry;
    entry.Id = nextId_++;
    entry.LineEnd = item.LineEnd;
    if (!item.Command) {
        entry.Outcome = std::make_shared<TRemoteOutcome>();
        if (item.Error.Code != ScpiError::None)
            entry.Outcome->Errors.push_back(std::move(item.Error));
        entries_.push_back(std::move(entry));
        return;
    }
    const TScpiCommand& command = *item.Command;
    TRemoteStep step = RemoteStep(command, state_, view_);
    entry.Outcome = std::make_shared<TRemoteOutcome>(std::move(step.Outcome));
    entry.InOrder = std::move(step.InOrder);
    if (!step.OnCore) {
        entries_.push_back(std::move(entry));
        return;
    }
    entry.Done = false;
    const std::uint64_t id = entry.Id;
    std::shared_ptr<TRemoteOutcome> outcome = entry.Outcome;
    entries_.push_back(std::move(entry));
    ++withCore_;
    const QString trace = command.Changes ? QString::fromStdString(DebugLine(command.Source)) : QString();
    service_.Post(
        [onCore = std::move(step.OnCore), outcome, trace](TMixerCore& c) {
            if (!trace.isEmpty())
                c.Host.AddDevFeedbackLine(trace);
            try {
                onCore(c, *outcome);
            } catch (const std::exception& e) {
                outcome->Errors.push_back({ScpiError::Execution, e.what()});
            } catch (...) {
                outcome->Errors.push_back({ScpiError::Execution, {}});
            }
        },
        [self = weak_from_this(), id] {
            if (const auto session = self.lock())
                session->Completed(id);
        });
    if (step.TickSoon)
        service_.TickSoon();
}

void TRemoteSession::Completed(std::uint64_t id)
{
    --withCore_;
    for (TEntry& entry : entries_) {
        if (entry.Id == id)
            entry.Done = true;
    }
    Dispatch();
    if (!Busy() && OnReady)
        OnReady();
}

void TRemoteSession::Flush()
{
    while (!entries_.empty() && entries_.front().Done) {
        TEntry entry = std::move(entries_.front());
        entries_.pop_front();
        if (entry.InOrder)
            entry.InOrder(state_, *entry.Outcome);
        for (TScpiError& error : entry.Outcome->Errors)
            state_.Errors.Push(std::move(error));
        if (entry.Outcome->Reply)
            replies_ += (replies_.empty() ? "" : ";") + *entry.Outcome->Reply;
        if (entry.LineEnd && !replies_.empty()) {
            if (send_)
                send_(replies_ + '\n');
            replies_.clear();
        }
    }
}

std::string TRemoteSession::DebugLine(const std::string& source) const
{
    // What a client sends is shown as printable text, and not at any length.
    constexpr std::size_t Longest = 200;
    std::string shown;
    for (char c : source.substr(0, Longest))
        shown += (c >= 0x20 && c < 0x7f) ? c : '?';
    if (source.size() > Longest)
        shown += "...";
    return "Remote " + state_.Peer + ": " + shown;
}
