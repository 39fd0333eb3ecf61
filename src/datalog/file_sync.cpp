#include "file_sync.h"

#include <QFile>

#ifdef _WIN32
#include <io.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

bool SyncToDisk(QFile& file)
{
    const int fd = file.handle();
    if (fd < 0)
        return false;
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0 || errno == EINVAL;
#endif
}
