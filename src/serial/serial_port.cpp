#include "serial_port.h"

#include "clock.h"
#include "day_count.h"
#include "serial_line.h"
#include "serial_lines.h"
#include "time_units.h"

#include <algorithm>
#include <memory>

std::vector<std::string> GetExistingCommPorts(const SerialLines& lines)
{
    return lines.portNames();
}

namespace {

const std::string NoSuchPort = "No such port: ";
const std::string PermissionDeniedOn = "Permission denied on ";
const std::string PortHeld = std::string(StatusPortInUse) + ": ";
const std::string VanishedWhileOpen = " vanished while open";

}  // namespace

std::string OpenFailureStatus(const std::string& portName, const SerialOpenFailure& failure)
{
    const std::string& device = failure.Path.empty() ? portName : failure.Path;
    switch (failure.Why) {
    case SerialOpenFailure::Reason::Missing: return NoSuchPort + device;
    case SerialOpenFailure::Reason::PermissionDenied:
        return PermissionDeniedOn + device + ": add your user to the group dialout and log in again";
    case SerialOpenFailure::Reason::HeldByAnotherProgram:
        return PortHeld + device + " is held by "
            + (failure.Holder.empty() ? std::string("another program") : failure.Holder);
    case SerialOpenFailure::Reason::Unknown: break;
    }
    return StatusPortInUse;
}

std::string VanishedStatus(const std::string& portName)
{
    return "Port " + portName + VanishedWhileOpen;
}

bool IsPortRefusal(const std::string& status)
{
    // Also inside a message that names the device and the command.
    for (const std::string* mark : {&NoSuchPort, &PermissionDeniedOn, &PortHeld, &VanishedWhileOpen}) {
        if (status.find(*mark) != std::string::npos)
            return true;
    }
    return false;
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
    Await await;
    await.Reply = WaitForResponse;
    Run(Data, dataSize, await, Result);
}

void TSerialPort::SendAndAwait(const void* Data, std::uint32_t dataSize, std::size_t replyBytes, unsigned pauseMs,
                               TSerialResponse& Result)
{
    Await await;
    await.Reply = true;
    await.AfterPause = true;
    await.Bytes = std::clamp<std::size_t>(replyBytes, 1, ReadBufferBytes);
    await.PauseMs = pauseMs;
    Run(Data, dataSize, await, Result);
}

void TSerialPort::Run(const void* Data, std::uint32_t dataSize, const Await& await, TSerialResponse& Result)
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
        Transact(line.get(), use, Data, dataSize, await, Result);
    } catch (...) {
        // Abandoned by an unexpected error: the status set first remains.
    }
    if (line && use.Opened)
        Release(*line, use);
    // The caller's pause is a pause whatever became of the transaction.
    if (await.AfterPause && !use.Paused)
        Clock_.sleepMs(await.PauseMs);
}

void TSerialPort::HoldUntilSent(SerialLine& line, LineUse& use)
{
    if (use.HoldUntil <= 0.0)
        return;
    // Closing puts back the settings the port had before it was opened, at
    // once: a frame still on the wire would be garbled.
    line.drain();
    const double leftMs = (use.HoldUntil - Clock_.now()) * MsPerDay;
    use.HoldUntil = 0.0;
    if (leftMs > 0.0)
        Clock_.deviceWaitMs(leftMs);
}

void TSerialPort::Release(SerialLine& line, LineUse& use)
{
    try {
        HoldUntilSent(line, use);
    } catch (...) {
    }
    try {
        line.close();
    } catch (...) {
    }
}

std::string TSerialPort::Failure(const SerialLine& line, const char* otherwise) const
{
    return line.vanished() ? VanishedStatus(Port) : std::string(otherwise);
}

void TSerialPort::Transact(SerialLine* line, LineUse& use, const void* Data, std::uint32_t dataSize, const Await& await,
                           TSerialResponse& Result)
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
        Result.Status = Failure(*line, StatusWriteFailed);
        return;
    }
    Trace(6);

    if (!await.Reply) {
        Result.Response.clear();
        Result.Status.clear();
        return;
    }
    if (await.AfterPause) {
        ReadAfterPause(*line, use, await, Result);
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
        const int waiting = line->bytesWaiting();
        if (waiting < 0 && line->vanished()) {
            Result.Status = VanishedStatus(Port);
            return;
        }
        dataAvailable = waiting > 0;
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
        Result.Status = Failure(*line, StatusReadFailed);
        return;
    }
    TakeReply(reply, Result);
}

void TSerialPort::ReadAfterPause(SerialLine& line, LineUse& use, const Await& await, TSerialResponse& Result)
{
    // The request leaves the port before the pause begins, as it did when
    // the port was closed after it.
    HoldUntilSent(line, use);
    Clock_.sleepMs(await.PauseMs);
    use.Paused = true;
    Trace(7);

    std::vector<std::uint8_t> reply;
    if (!line.read(reply, await.Bytes)) {
        Result.Status = Failure(line, StatusReadFailed);
        return;
    }
    // Bytes beyond the reply that are already there belong to it: a reply
    // of the wrong length is no reply.
    if (reply.size() == await.Bytes && line.bytesWaiting() > 0) {
        std::vector<std::uint8_t> more;
        if (line.read(more, ReadBufferBytes - reply.size()))
            reply.insert(reply.end(), more.begin(), more.end());
    }
    Trace(8);
    if (reply.empty()) {
        Result.Response.clear();
        Result.Status = line.vanished() ? VanishedStatus(Port) : StatusTimeout;
        return;
    }
    TakeReply(reply, Result);
}

void TSerialPort::TakeReply(const std::vector<std::uint8_t>& received, TSerialResponse& Result)
{
    const std::size_t count = std::min(received.size(), ReadBufferBytes);
    QString text;
    text.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) {
        Result.rArray[i] = received[i];
        text.append(QChar(received[i]));
    }
    Result.Response = text;
    Result.Status.clear();
    Result.ResponseLength = static_cast<std::uint8_t>(count % 256);
    Result.ReceivedCount = count;
    Trace(9);

    if (count >= 7) {
        Result.ValueOfFirstWord = received[3] * 256 + received[4];
        Result.ValueOfSecondWord = received[5] * 256 + received[6];
    }
}
