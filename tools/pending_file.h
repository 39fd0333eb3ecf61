#pragma once

#include <QFile>
#include <QString>

// A file written under a temporary name beside the place it is meant for
// ("NAME.XXXXXX.partial") and moved there only when it is complete, so a
// run that fails, or is killed, never leaves a partial file under the name
// of a finished one. It never replaces a file.
class TPendingFile {
public:
    TPendingFile() = default;
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;
    // A temporary file that was not completed is removed.
    ~TPendingFile();

    // Makes the temporary file for `path`; false, with the system's reason
    // in Error(), when it cannot be made (a missing folder, no permission, a
    // full disk show here, before any work is done).
    bool Begin(const QString& path);
    // Where the content goes; open from Begin until Complete.
    QFile& Device() { return file_; }
    // Puts the content on the disk and moves the file to its name; false,
    // with the reason in Error(), when any of it fails (a file of that name
    // made meanwhile included). The temporary file is gone either way.
    bool Complete();

    const QString& Error() const { return error_; }

private:
    bool Fail(const QString& why);

    QString path_;
    QFile file_;
    QString error_;
};
