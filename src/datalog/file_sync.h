#pragma once

class QFile;

// Puts what has been written to the open `file` on the disk (the system's
// own cache included), so a power cut does not lose it. The program's only
// call of this kind; a target that cannot be synced (a device) counts as
// synced. Returns false when the system reports a failure.
bool SyncToDisk(QFile& file);
