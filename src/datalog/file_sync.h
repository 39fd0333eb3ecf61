#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Puts what has been written to the open file `handle` (QFile::handle) on
// the disk, the system's own cache included, so a power cut does not lose
// it. The program's only call of this kind; a target that cannot be synced
// (a device) counts as synced. Returns false when the system reports a
// failure. May take long on a busy disk; safe beside writes from another
// thread to the same file.
bool SyncToDisk(int handle);

// A thread that syncs a file whenever asked, so the asking thread never
// waits for the disk. Requests made while a sync runs fold into one more.
// The file must stay open until Stop has returned.
class TDiskSyncThread {
public:
    TDiskSyncThread();
    ~TDiskSyncThread();  // stops

    // Asks for a sync of `handle`; returns at once.
    void Request(int handle);
    // Whether a sync failed since the last call.
    bool TakeFailure();
    // Lets a sync under way finish, then ends the thread (a join).
    void Stop();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    int handle_ = -1;
    bool pending_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    std::thread thread_;
};
