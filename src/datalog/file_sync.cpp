#include "file_sync.h"

#ifdef _WIN32
#include <io.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

bool SyncToDisk(int handle)
{
    if (handle < 0)
        return false;
#ifdef _WIN32
    return _commit(handle) == 0;
#else
    return ::fsync(handle) == 0 || errno == EINVAL;
#endif
}

TDiskSyncThread::TDiskSyncThread()
    : thread_([this] { Run(); })
{
}

TDiskSyncThread::~TDiskSyncThread()
{
    Stop();
}

void TDiskSyncThread::Request(int handle)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        handle_ = handle;
        pending_ = true;
    }
    wake_.notify_one();
}

bool TDiskSyncThread::TakeFailure()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const bool failed = failed_;
    failed_ = false;
    return failed;
}

void TDiskSyncThread::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TDiskSyncThread::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Waiting for work, not a pause of the program's: no clock involved.
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_)
            return;
        pending_ = false;
        const int handle = handle_;
        lock.unlock();
        const bool synced = SyncToDisk(handle);
        lock.lock();
        failed_ = failed_ || !synced;
    }
}
