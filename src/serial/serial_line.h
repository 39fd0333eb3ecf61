#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Why a port could not be opened, as far as the system tells.
struct SerialOpenFailure {
    enum class Reason {
        Unknown,               // the system gives no reason
        Missing,               // there is no such port (an adapter unplugged, a name mistyped)
        PermissionDenied,      // the user may not read and write the device
        HeldByAnotherProgram,  // another program has the port open
    };
    Reason Why = Reason::Unknown;
    std::string Path;    // the device refused (such as /dev/ttyUSB0); empty when not known
    std::string Holder;  // who holds it, such as "minicom (process 4711)"; empty when not told
};

// One serial line as a transaction uses it: the program's end of a port.
// Implementations: the operating system's ports and simulated lines. A line
// is made closed, for one port name, by a SerialLines provider.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Opens the port for exclusive use. False when it is missing, refused or
    // in use; openFailure() then says why, where the system tells.
    virtual bool open() = 0;
    virtual SerialOpenFailure openFailure() const { return {}; }
    // Applies the line settings: 8 data bits, `baudRate` bit/s, the parity
    // code (0 none, 1 odd, 2 even, 3 mark, 4 space) and the stop-bit code
    // (0 one, 1 one and a half, 2 two); no flow control, DTR and RTS asserted
    // where the port has them. False when a setting is refused.
    virtual bool configure(std::int32_t baudRate, std::int32_t parity, std::int32_t stopBits) = 0;
    // Discards every byte received so far and not yet read.
    virtual void purge() = 0;
    // Writes all bytes; false when the write fails. The bytes may still be
    // on their way out when it returns.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
    // Blocks until every byte written has left the port, as far as the
    // system can tell. A line drains before its settings change and before
    // it closes, so no frame on the wire is cut off or re-timed.
    virtual void drain() = 0;
    // Bytes received and waiting to be read; negative when the port cannot
    // be queried.
    virtual int bytesWaiting() = 0;
    // Reads up to `maxBytes` into `into` (replacing its contents). The read
    // ends when 20 ms pass without a new byte, when `maxBytes` have arrived,
    // or after 2760 ms at most. False when the read fails.
    virtual bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes) = 0;
    // Closes the port; a closed line may be opened again.
    virtual void close() = 0;
    // Whether the port went away while open (a USB adapter unplugged): what
    // a failed write, read or query of the input queue means then.
    virtual bool vanished() const { return false; }
};

// The ends of a read, shared by every line.
inline constexpr int ReadSilenceMs = 20;
inline constexpr int ReadLimitMs = 2760;

// Milliseconds `bytes` take on the wire: a start bit, 8 data bits, the parity
// bit if any and the stop bits for each byte. Codes as for configure().
inline double WireTimeMs(std::int32_t baudRate, std::int32_t parity, std::int32_t stopBits, std::size_t bytes)
{
    if (baudRate <= 0)
        return 0.0;
    const double stop = stopBits == 2 ? 2.0 : stopBits == 1 ? 1.5 : 1.0;
    const double bitsPerByte = 9.0 + (parity != 0 ? 1.0 : 0.0) + stop;
    return static_cast<double>(bytes) * bitsPerByte * 1000.0 / baudRate;
}
