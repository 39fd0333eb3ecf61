#include "thread_queue.h"

TThreadQueue::TThreadQueue(QObject* parent)
    : QObject(parent)
{
}

void TThreadQueue::Post(std::function<void()> job)
{
    // The wake-up is posted under the lock too: once the other thread has
    // drained the job (and may have ended, deleting this queue), nothing here
    // touches the queue any more.
    const std::lock_guard<std::mutex> lock(Lock_);
    Jobs_.push_back(std::move(job));
    if (WakeQueued_)
        return;
    WakeQueued_ = true;
    QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void TThreadQueue::Drain()
{
    for (;;) {
        std::function<void()> job;
        {
            const std::lock_guard<std::mutex> lock(Lock_);
            if (Jobs_.empty()) {
                WakeQueued_ = false;
                return;
            }
            job = std::move(Jobs_.front());
            Jobs_.pop_front();
        }
        job();
    }
}
