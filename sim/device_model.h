#pragma once

#include <cstdint>
#include <vector>

// How a device's UART is set: speed and the parity and stop-bit codes
// (parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stop bits 0 one, 1 one and
// a half, 2 two). Data bits are always 8.
struct SerialFraming {
    std::int32_t BaudRate = 9600;
    std::int32_t Parity = 0;
    std::int32_t StopBits = 0;

    friend bool operator==(const SerialFraming&, const SerialFraming&) = default;
};

// Milliseconds one byte takes on the wire: start bit, 8 data bits, parity
// bit, stop bits.
double ByteTimeMs(const SerialFraming& framing);

// What a device sends back: `Bytes`, starting `DelayMs` after the last byte
// it received (no reply when `Bytes` is empty).
struct DeviceReply {
    double DelayMs = 0.0;
    std::vector<std::uint8_t> Bytes;
};

// Equipment at the far end of a serial line, byte-in / byte-out. A host (an
// in-process line, a pseudo-terminal) delivers the bytes the program sends
// and carries the replies back, with the time each arrives; the model itself
// keeps no clock and never waits.
class DeviceModel {
public:
    virtual ~DeviceModel() = default;

    // The framing the device listens at. Bytes sent at another framing do not
    // reach it intact (the in-process host drops them).
    virtual SerialFraming framing() const = 0;

    // `bytes` reached the device, the last of them at day count `at`. Bytes
    // of one frame may come in several pieces; a pause longer than the
    // protocol allows between two pieces starts a new frame.
    virtual DeviceReply receive(const std::vector<std::uint8_t>& bytes, double at) = 0;
};
