#include "serial_port.h"

#include "clock.h"
#include "day_count.h"
#include "serial_line.h"
#include "serial_lines.h"
#include "time_units.h"

#include <memory>

std::vector<std::string> GetExistingCommPorts(const SerialLines& lines)
{
    return lines.portNames();
}

namespace {

const std::string PermissionDeniedOn = "Permission denied on ";
const std::string PortHeld = std::string(StatusPortInUse) + ": ";

}  // namespace

std::string OpenFailureStatus(const std::string& portName, const SerialOpenFailure& failure)
{
    const std::string& device = failure.Path.empty() ? portName : failure.Path;
    switch (failure.Why) {
    case SerialOpenFailure::Reason::PermissionDenied:
        return PermissionDeniedOn + device + ": add your user to the group dialout and log in again";
    case SerialOpenFailure::Reason::HeldByAnotherProgram:
        return PortHeld + device + " is held by "
            + (failure.Holder.empty() ? std::string("another program") : failure.Holder);
    case SerialOpenFailure::Reason::Unknown: break;
    }
    return StatusPortInUse;
}

bool IsPortRefusal(const std::string& status)
{
    return status.starts_with(PermissionDeniedOn) || status.starts_with(PortHeld);
}

TSerialPort::TSerialPort(SerialLines& lines, Clock& clock)
    : Lines_(lines)
    , Clock_(clock)
{
}

void TSerialPort::Trace(int step)
{
    if (!Debug)
        return;
    DebugMSG += QStringLiteral("Time  %1: ").arg(step)
        + DayCountToDateTime(Clock_.wallNow()).toString(QStringLiteral("hh:mm:ss.zzz")) + QStringLiteral("\r\n");
}

void TSerialPort::SendData(const void* Data, std::uint32_t dataSize, bool WaitForResponse, TSerialResponse& Result)
{
    std::unique_ptr<SerialLine> line;
    LineUse use;
    try {
        DebugMSG.clear();
        Trace(1);
        Result.Status = StatusUnknownProblem;
        Result.ResponseLength = 0;
        Result.ReceivedCount = 0;
        line = Lines_.makeLine(Port);
        Transact(line.get(), use, Data, dataSize, WaitForResponse, Result);
    } catch (...) {
        // Abandoned by an unexpected error: the status set first remains.
    }
    if (line && use.Opened)
        Release(*line, use);
}

void TSerialPort::Release(SerialLine& line, const LineUse& use)
{
    try {
        if (use.HoldUntil > 0.0) {
            // Closing puts back the settings the port had before it was
            // opened, at once: a frame still on the wire would be garbled.
            line.drain();
            const double leftMs = (use.HoldUntil - Clock_.now()) * MsPerDay;
            if (leftMs > 0.0)
                Clock_.deviceWaitMs(leftMs);
        }
    } catch (...) {
    }
    try {
        line.close();
    } catch (...) {
    }
}

void TSerialPort::Transact(SerialLine* line, LineUse& use, const void* Data, std::uint32_t dataSize,
                           bool WaitForResponse, TSerialResponse& Result)
{
    use.Opened = line && line->open();
    Trace(2);
    if (!use.Opened) {
        // A port the operator cannot fix by waiting says what to do instead.
        Result.Status = line ? OpenFailureStatus(Port, line->openFailure()) : StatusPortInUse;
        return;
    }
    if (!line->configure(BaudRate, Parity, StopBits)) {
        Result.Status = StatusPortInUse;
        return;
    }
    Trace(3);
    // The read's ends (20 ms of silence, 256 bytes, 2760 ms) and the queue
    // sizes belong to the line itself; nothing here can be refused.
    Trace(4);
    Trace(5);

    // Bytes left over from an earlier exchange (a write's acknowledgement, a
    // reply that came too late) must not pass for the answer to this request.
    line->purge();

    const double writeStart = Clock_.now();
    use.HoldUntil = writeStart + (WireTimeMs(BaudRate, Parity, StopBits, dataSize) + DrainGuardMs) / MsPerDay;
    if (!line->write(static_cast<const std::uint8_t*>(Data), dataSize)) {
        Result.Status = StatusWriteFailed;
        return;
    }
    Trace(6);

    if (!WaitForResponse) {
        Result.Response.clear();
        Result.Status.clear();
        return;
    }

    Clock_.sleepMs(WindowsReadLoopTimeoutMS);
    Trace(7);

    // "Before the deadline", allowing for the day count's resolution (about
    // a microsecond) so that a poll falling exactly on it is not made.
    const double endTime = Clock_.now() + ReadoutTimeoutMS / 1000.0 / SecondsPerDay;
    constexpr double resolution = 0.01 / MsPerDay;
    bool dataAvailable = false;
    while (Clock_.now() + resolution < endTime && !dataAvailable) {
        dataAvailable = line->bytesWaiting() > 0;
        Clock_.sleepMs(WindowsReadLoopTimeoutMS);
    }
    Trace(8);

    if (!dataAvailable) {
        Result.Response.clear();
        Result.Status = StatusTimeout;
        return;
    }

    std::vector<std::uint8_t> reply;
    if (!line->read(reply, ReadBufferBytes)) {
        Result.Status = StatusReadFailed;
        return;
    }
    if (reply.size() > ReadBufferBytes)
        reply.resize(ReadBufferBytes);

    QString text;
    text.reserve(static_cast<qsizetype>(reply.size()));
    for (std::size_t i = 0; i < reply.size(); ++i) {
        Result.rArray[i] = reply[i];
        text.append(QChar(reply[i]));
    }
    Result.Response = text;
    Result.Status.clear();
    Result.ResponseLength = static_cast<std::uint8_t>(reply.size() % 256);
    Result.ReceivedCount = reply.size();
    Trace(9);

    if (reply.size() >= 7) {
        Result.ValueOfFirstWord = reply[3] * 256 + reply[4];
        Result.ValueOfSecondWord = reply[5] * 256 + reply[6];
    }
}
