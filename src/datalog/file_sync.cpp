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
