#pragma once

// Puts what has been written to the open file `handle` (QFile::handle) on
// the disk, the system's own cache included, so a power cut does not lose
// it. The program's only call of this kind; a target that cannot be synced
// (a device) counts as synced. Returns false when the system reports a
// failure. May take long on a busy disk; safe beside writes from another
// thread to the same file.
bool SyncToDisk(int handle);
