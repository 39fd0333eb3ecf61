#pragma once

#include "serial_response.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class Clock;
class SerialLine;
class SerialLines;
struct SerialOpenFailure;

// Transport statuses of SendData.
inline constexpr const char* StatusUnknownProblem = "Unknown problem reading serial port";
inline constexpr const char* StatusPortInUse = "Failed to setup Com port, port in use";
inline constexpr const char* StatusWriteFailed = "Failed to write to Com port";
inline constexpr const char* StatusTimeout = "Timeout while waiting for response";
inline constexpr const char* StatusReadFailed = "Failed to read from Com port";

// The status of an open the system refused: for a port that is not there,
// "No such port: /dev/ttyUSB0"; for lack of permission, "Permission denied on
// /dev/ttyUSB0: add your user to the group dialout and log in again"; for a
// port another program holds, StatusPortInUse naming the port and, where the
// system tells, the holder; otherwise StatusPortInUse.
std::string OpenFailureStatus(const std::string& portName, const SerialOpenFailure& failure);
// "Port /dev/ttyUSB0 vanished while open": the device went away during the
// transaction (a USB adapter unplugged).
std::string VanishedStatus(const std::string& portName);
// Whether `status` holds one of the port's own failures above with a reason
// (missing, vanished, permission, a holding program): what the operator can
// act on, so every report of a failure shows it.
bool IsPortRefusal(const std::string& status);

// The largest reply one transaction reads.
inline constexpr std::size_t ReadBufferBytes = 256;

// After a write the port stays open, with its settings, until the frame has
// had its wire time plus this much: a USB adapter may report the bytes sent
// while the last of them still sit in its own buffer.
inline constexpr double DrainGuardMs = 2.0;

// The port names the operator can choose from: the system's ports, then any
// registered simulated lines. Not sorted, not de-duplicated.
std::vector<std::string> GetExistingCommPorts(const SerialLines& lines);

// One request/response transaction per SendData call: the port is opened,
// configured, emptied of stale input, written, polled for a reply, read once
// and closed again. The object only carries the port's settings and a trace.
class TSerialPort {
public:
    TSerialPort(SerialLines& lines, Clock& clock);

    bool Debug = false;                            // trace SendData into DebugMSG
    QString DebugMSG;                              // trace of the last SendData call
    std::string Port;                              // port name as GetExistingCommPorts lists it
    std::uint32_t WindowsReadLoopTimeoutMS = 333;  // slept after the write and after every poll
    std::uint32_t ReadoutTimeoutMS = 1000;         // wait for the first reply byte
    std::int32_t BaudRate = 9600;
    std::int32_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    std::int32_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space

    // Runs one transaction with the `dataSize` bytes at `Data`, awaiting and
    // reading a reply when `WaitForResponse` is set, into `Result`. Never
    // throws; every failure is a Status text and the port is always closed,
    // never before the request has left it (a write-only transaction takes
    // the request's wire time).
    void SendData(const void* Data, std::uint32_t dataSize, bool WaitForResponse, TSerialResponse& Result);

    // One transaction whose reply is read in the pause that follows the
    // request: the request is written and leaves the port, `pauseMs` pass
    // (one of the caller's own waits, taken whatever happens) with the port
    // open, then the `replyBytes` of the reply are read, waiting on for bytes
    // still arriving up to the read's silence, and with them anything that
    // follows at once. Nothing received is StatusTimeout; otherwise the
    // statuses and fields are those of SendData.
    void SendAndAwait(const void* Data, std::uint32_t dataSize, std::size_t replyBytes, unsigned pauseMs,
                      TSerialResponse& Result);

protected:
    Clock& clock() const { return Clock_; }

private:
    struct LineUse {
        bool Opened = false;
        double HoldUntil = 0.0;  // day count before which the line must not close
        bool Paused = false;     // the caller's pause after the request has passed
    };
    // How the reply is awaited: not at all, by polling (SendData), or by a
    // read after the caller's pause (SendAndAwait).
    struct Await {
        bool Reply = false;
        bool AfterPause = false;
        std::size_t Bytes = 0;
        unsigned PauseMs = 0;
    };
    void Run(const void* Data, std::uint32_t dataSize, const Await& await, TSerialResponse& Result);
    void Transact(SerialLine* line, LineUse& use, const void* Data, std::uint32_t dataSize, const Await& await,
                  TSerialResponse& Result);
    void ReadAfterPause(SerialLine& line, LineUse& use, const Await& await, TSerialResponse& Result);
    void TakeReply(const std::vector<std::uint8_t>& reply, TSerialResponse& Result);
    void HoldUntilSent(SerialLine& line, LineUse& use);
    void Release(SerialLine& line, LineUse& use);
    // The status of a failed step: the port's disappearance, or `otherwise`.
    std::string Failure(const SerialLine& line, const char* otherwise) const;
    void Trace(int step);

    SerialLines& Lines_;
    Clock& Clock_;
};
