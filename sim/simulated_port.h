#pragma once

#include "device_model.h"
#include "serial_line.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class Clock;
class SerialLines;

// A serial port with a device model on its far end, in-process: the wire
// between the two, on the clock. The program reaches it through the lines
// this port makes (one per transaction, register with `registerSimulatedPort`).
//
// Timing: a write reaches the device after its wire time (a drain waits
// for it); the reply leaves
// the device after the model's delay and comes back byte by byte at the
// wire speed of the framing the program configured. Time the line spends
// waiting for bytes (a read and its closing silence) is device time
// (Clock::deviceWaitMs), not one of the program's own waits.
class SimulatedPort {
public:
    SimulatedPort(DeviceModel& model, Clock& clock);

    // The program's end of the port, closed.
    std::unique_ptr<SerialLine> makeLine();

    bool isOpen() const { return open_; }
    int openCount() const { return openCount_; }
    // The framing the program configured last.
    const SerialFraming& configured() const { return configured_; }

    // Faults of the port itself (not of the device).
    bool Unavailable = false;              // every open fails, and an open line vanishes, as for an unplugged adapter
    SerialOpenFailure UnavailableBecause;  // the reason the system gives, while Unavailable
    bool WriteFails = false;               // every write fails
    bool ReadFails = false;                // every read fails
    // Bytes that arrive while no one has the port open are kept for the next
    // open, as some USB adapters do; otherwise they are lost.
    bool KeepsBytesWhileClosed = false;

    // Runs at every open and at the start of every write the program makes,
    // with the day count it starts at: whoever owns the device may change it
    // (or the port) just then.
    std::function<void(double at)> BeforeExchange;

private:
    friend class SimulatedLine;
    struct TimedByte {
        double At;  // day count of arrival at the program's end
        std::uint8_t Byte;
    };

    bool open();
    bool configure(std::int32_t baudRate, std::int32_t parity, std::int32_t stopBits);
    void purge();
    bool write(const std::uint8_t* data, std::size_t size);
    void drain();
    int bytesWaiting() const;
    bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes);
    void close();
    void DropArrived();

    DeviceModel& Model_;
    Clock& Clock_;
    bool open_ = false;
    int openCount_ = 0;
    SerialFraming configured_;
    std::deque<TimedByte> inbound_;  // on their way to, or waiting at, the program's end
    double deviceSendsUntil_ = 0.0;  // the device's transmitter is busy until then
    double writtenUntil_ = 0.0;      // the program's last byte is on the wire until then
};

// Makes `port` one of the lines `lines` offers, under `portName`.
void registerSimulatedPort(SerialLines& lines, const std::string& portName, SimulatedPort& port);
