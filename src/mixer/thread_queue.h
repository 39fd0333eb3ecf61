#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs functions on the thread this object lives on, in the order they were
// posted from any thread. The functions wait under a lock of the standard
// library, and the event queue carries only a wake-up without data, so the
// order of every hand-over is plain to any tool that checks threads.
class TThreadQueue final : public QObject {
    Q_OBJECT

public:
    explicit TThreadQueue(QObject* parent = nullptr);

    // From any thread.
    void Post(std::function<void()> job);
    // Runs every function posted so far, on this object's thread.
    Q_INVOKABLE void Drain();

private:
    std::mutex Lock_;
    std::deque<std::function<void()>> Jobs_;
    bool WakeQueued_ = false;  // a wake-up is on its way (under Lock_)
};
