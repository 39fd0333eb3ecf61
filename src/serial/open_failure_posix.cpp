// Refused opens on Linux and other Unix systems. Qt reports a lock file held
// by another program, a device the user may not open and a device held
// exclusively (EBUSY) all as a permission error; the device's access rights
// and the lock files tell them apart.
#include "open_failure.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The device of a port name: names without a path live in /dev, as Qt
// takes them.
QString DevicePath(const QString& portName)
{
    if (portName.startsWith(QLatin1Char('/')) || portName.startsWith(QLatin1String("./"))
        || portName.startsWith(QLatin1String("../")))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

// Whether this process, with its effective user and groups, may read and
// write the device. Only a definite "no" counts.
bool AccessDenied(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    return faccessat(AT_FDCWD, native.constData(), R_OK | W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

// "name (process N)" of the live process named in a port's lock file, the
// UUCP convention Qt and other serial programs follow ("LCK..ttyUSB0" holding
// the PID as text; Qt adds the program's name on the next line). Empty when
// no lock file names a live process.
std::string LockHolder(const QString& path)
{
    QString lockName = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
    lockName.replace(QLatin1Char('/'), QLatin1Char('_'));
    static const char* const lockDirectories[] = {"/var/lock",       "/run/lock", "/etc/locks", "/var/spool/locks",
                                                  "/var/spool/uucp", "/tmp",      "/var/tmp",   "/var/lock/lockdev"};
    for (const char* directory : lockDirectories) {
        QFile lock(QString::fromLatin1(directory) + QStringLiteral("/LCK..") + lockName);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = lock.read(512).split('\n');
        bool isNumber = false;
        const qint64 pid = lines.value(0).trimmed().toLongLong(&isNumber);
        if (!isNumber || pid <= 0 || pid > 0x7fffffff)
            continue;
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
            continue;  // a stale lock names a process that has ended
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QByteArray name;
        if (comm.open(QIODevice::ReadOnly))
            name = comm.readLine().trimmed();
        if (name.isEmpty())
            name = lines.value(1).trimmed();
        const std::string process = "process " + std::to_string(pid);
        return name.isEmpty() ? process : name.toStdString() + " (" + process + ")";
    }
    return {};
}

}  // namespace

SerialOpenFailure ExplainOpenFailure(const QString& portName, QSerialPort::SerialPortError error)
{
    SerialOpenFailure failure;
    const QString path = DevicePath(portName);
    failure.Path = path.toStdString();
    if (error == QSerialPort::DeviceNotFoundError)
        failure.Why = SerialOpenFailure::Reason::Missing;
    if (error != QSerialPort::PermissionError)
        return failure;
    if (AccessDenied(path)) {
        failure.Why = SerialOpenFailure::Reason::PermissionDenied;
        return failure;
    }
    failure.Why = SerialOpenFailure::Reason::HeldByAnotherProgram;
    failure.Holder = LockHolder(path);
    return failure;
}
