#include "system_serial_lines.h"

#include "open_failure.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#elif defined(Q_OS_UNIX)
#include <cerrno>
#include <termios.h>
#endif

namespace {

// The longest a drain waits for Qt's own buffer to reach the system.
constexpr int DrainLimitMs = 3000;

bool ToQtParity(std::int32_t code, QSerialPort::Parity& parity)
{
    switch (code) {
    case 0: parity = QSerialPort::NoParity; return true;
    case 1: parity = QSerialPort::OddParity; return true;
    case 2: parity = QSerialPort::EvenParity; return true;
    case 3: parity = QSerialPort::MarkParity; return true;
    case 4: parity = QSerialPort::SpaceParity; return true;
    default: return false;
    }
}

bool ToQtStopBits(std::int32_t code, QSerialPort::StopBits& stopBits)
{
    switch (code) {
    case 0: stopBits = QSerialPort::OneStop; return true;
    case 1: stopBits = QSerialPort::OneAndHalfStop; return true;
    case 2: stopBits = QSerialPort::TwoStop; return true;
    default: return false;
    }
}

// A port of the operating system. Without an event loop Qt only learns of
// received bytes inside its wait calls, so every query of the input queue
// first lets it look (waitForReadyRead with no wait).
class SystemSerialLine final : public SerialLine {
public:
    explicit SystemSerialLine(const std::string& portName)
        : name_(QString::fromStdString(portName))
    {
        port_.setPortName(name_);
    }

    bool open() override
    {
        if (port_.open(QIODevice::ReadWrite))
            return true;
        failure_ = ExplainOpenFailure(name_, port_.error());
        return false;
    }
    SerialOpenFailure openFailure() const override { return failure_; }

    bool configure(std::int32_t baudRate, std::int32_t parityCode, std::int32_t stopBitsCode) override
    {
        QSerialPort::Parity parity;
        QSerialPort::StopBits stopBits;
        drain();
        if (baudRate <= 0 || !ToQtParity(parityCode, parity) || !ToQtStopBits(stopBitsCode, stopBits))
            return false;
        const bool applied = port_.setBaudRate(baudRate) && port_.setDataBits(QSerialPort::Data8)
            && port_.setParity(parity) && port_.setStopBits(stopBits)
            && port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!applied)
            return false;
        // Modem lines: a port without them (a pseudo-terminal) refuses these,
        // which does not keep it from carrying the transaction.
        port_.setDataTerminalReady(true);
        port_.setRequestToSend(true);
        port_.clearError();
        return true;
    }

    void purge() override
    {
        port_.clear(QSerialPort::Input);
        port_.clearError();
    }

    bool write(const std::uint8_t* data, std::size_t size) override
    {
        const auto length = static_cast<qint64>(size);
        if (port_.write(reinterpret_cast<const char*>(data), length) != length) {
            Failed();
            return false;
        }
        const int timeoutMs = 1000 + 10 * static_cast<int>(std::min<std::size_t>(size, 100000));
        QDeadlineTimer deadline(timeoutMs);
        while (port_.bytesToWrite() > 0) {
            if (!port_.waitForBytesWritten(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)))) {
                Failed();
                return false;
            }
        }
        return true;
    }

    void drain() override
    {
        if (!port_.isOpen())
            return;
        // Qt hands its buffered bytes to the system inside its wait calls;
        // then the system's own buffer and the UART must empty.
        QDeadlineTimer deadline(DrainLimitMs);
        while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
            if (!port_.waitForBytesWritten(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0))))
                break;
        }
#if defined(Q_OS_WIN)
        FlushFileBuffers(reinterpret_cast<HANDLE>(port_.handle()));
#elif defined(Q_OS_UNIX)
        while (tcdrain(port_.handle()) != 0 && errno == EINTR) {}
#endif
    }

    int bytesWaiting() override
    {
        port_.waitForReadyRead(0);
        if (Failed())
            return -1;
        port_.clearError();
        return static_cast<int>(std::min<qint64>(port_.bytesAvailable(), 1 << 30));
    }

    bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes) override
    {
        into.clear();
        QDeadlineTimer limit(ReadLimitMs);
        while (into.size() < maxBytes) {
            if (port_.bytesAvailable() > 0) {
                const QByteArray got = port_.read(static_cast<qint64>(maxBytes - into.size()));
                into.insert(into.end(), got.begin(), got.end());
                continue;
            }
            const qint64 left = limit.remainingTime();
            if (left <= 0)
                break;
            if (!port_.waitForReadyRead(static_cast<int>(std::min<qint64>(ReadSilenceMs, left)))) {
                if (Failed())
                    return false;
                break;  // silence: the reply is complete
            }
        }
        port_.clearError();
        return true;
    }

    void close() override
    {
        if (port_.isOpen()) {
            drain();
            port_.close();
        }
    }

    bool vanished() const override
    {
        return vanished_;
    }

private:
    // Whether the port reports an error, noting a device that went away
    // (Qt's resource error: the adapter unplugged, the terminal closed).
    bool Failed()
    {
        const auto e = port_.error();
        if (e == QSerialPort::ResourceError)
            vanished_ = true;
        return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
    }

    QString name_;
    QSerialPort port_;
    SerialOpenFailure failure_;
    bool vanished_ = false;
};

}  // namespace

SystemSerialLines::SystemSerialLines(std::string stableNamesFolder)
    : stableNamesFolder_(std::move(stableNamesFolder))
{
}

std::vector<std::string> SystemSerialLines::systemPortNames() const
{
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        if (!name.isEmpty())
            names.push_back(name.toStdString());
    }
    // The stable names, each with the port it leads to now.
    const QDir folder(QString::fromStdString(stableNamesFolder_));
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue;  // a link to a port that is gone
        names.push_back(ListedPortName(link.absoluteFilePath().toStdString(), target.toStdString()));
    }
    return names;
}

std::unique_ptr<SerialLine> SystemSerialLines::makeSystemLine(const std::string& portName) const
{
    return std::make_unique<SystemSerialLine>(PortNameOf(portName));
}
