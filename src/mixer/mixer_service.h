#pragma once

#include <QObject>

#include <functional>
#include <memory>

class Clock;
class QThread;
class QTimer;
class SerialLines;
class TMixerCore;
class TMixerHost;
class TThreadQueue;

// Where the mixer core runs: on the thread of whoever owns the service,
// which then ticks it itself (the tests, a dry run), or on a thread of its
// own with its own 250 ms tick (the program).
enum class TRigThread { Caller, Worker };

// The mixer core as a service its clients drive by commands. On a worker
// thread, the core, the gateway and the serial lines live there; commands
// are queued to it in order and carried out as soon as it is free (between
// ticks, never inside one), and every report reaches the host on the
// owner's thread, in order, through the owner's event queue. The client
// never touches the core itself.
class TMixerService {
public:
    using TCommand = std::function<void(TMixerCore&)>;

    TMixerService(SerialLines& lines, Clock& clock, TMixerHost& host, TRigThread thread);
    // Ends the worker thread (the close duties are the owner's: Stop).
    ~TMixerService();
    TMixerService(const TMixerService&) = delete;
    TMixerService& operator=(const TMixerService&) = delete;

    // Runs `command` on the core; `done`, when given, runs afterwards on the
    // owner's thread, after every report the command made. On the caller's
    // thread both run at once and an error passes to the caller; on the
    // worker an error is reported to the host (ShowError).
    void Post(TCommand command, std::function<void()> done = {});

    // Runs `observer` on the core's thread after every tick and every
    // command from now on, so that a client can keep a copy of what it
    // answers questions from without waiting for the rig. One observer: a
    // new one replaces it, an empty one ends it.
    void Observe(std::function<void(const TMixerCore&)> observer);

    // Starts the worker's tick; nothing on the caller's thread.
    void Start();
    // One tick now, on the caller's thread (its owner's timer); nothing on
    // a worker, which ticks itself.
    void Tick();
    // On a worker: a tick as soon as it is free, the next one a full period
    // later (what a command asked of the rig goes out without waiting for
    // the tick). Nothing on the caller's thread.
    void TickSoon();

    // Runs `last` on the core, then no tick and no command; waits at most
    // `timeoutMs` for it and for the worker thread to end. False when the
    // worker did not finish in time (it is then left to the end of the
    // process).
    bool Stop(TCommand last, int timeoutMs);
    // Hands the host every report still queued for it (after Stop).
    void DeliverReports();

    bool OnWorker() const { return Thread_ != nullptr; }
    // The core itself, for the owner on the caller's thread (tests, a dry
    // run); a worker's core is reached only by commands.
    TMixerCore& Core();

private:
    class TQueuedHost;
    void RunOnWorker(const TCommand& command);
    void Observed();

    TMixerHost* Host_;
    // Lives on the owner's thread: reports and `done` are queued to it.
    std::unique_ptr<TThreadQueue> OwnerQueue_;
    std::unique_ptr<TQueuedHost> QueuedHost_;
    std::unique_ptr<TMixerCore> Core_;
    QThread* Thread_ = nullptr;
    TThreadQueue* WorkerQueue_ = nullptr;  // lives on the worker thread: commands are queued to it
    QTimer* Ticker_ = nullptr;             // the worker's 250 ms tick
    bool Stopped_ = false;
    std::function<void(const TMixerCore&)> Observer_;  // touched on the core's thread only
};
