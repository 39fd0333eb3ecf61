#include "voegtlin_port.h"

#include "clock.h"
#include "mfc_registers.h"
#include "modbus_frame.h"

#include <bit>
#include <cmath>

namespace {

// Pause after every write before the next frame.
constexpr unsigned PauseAfterWriteMs = 10;
// A reply garbled on the line (its checksum wrong) is asked for once more at
// once: a noisy line costs an exchange, not a reading.
constexpr int GarbledReplyRetries = 1;

// Each byte as two hexadecimal digits and as a decimal number, each
// followed by a space. Written by hand: a dry run of a day makes a million
// of these texts, and a formatted print of each took a third of its time.
void AppendHexAndInt(TSerialResponse& r, const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    r.AsHex.reserve(r.AsHex.size() + 3 * count);
    r.AsInt.reserve(r.AsInt.size() + 4 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned b = bytes[i];
        r.AsHex += Hex[b >> 4];
        r.AsHex += Hex[b & 15];
        r.AsHex += ' ';
        if (b >= 100)
            r.AsInt += static_cast<char>('0' + b / 100);
        if (b >= 10)
            r.AsInt += static_cast<char>('0' + b / 10 % 10);
        r.AsInt += static_cast<char>('0' + b % 10);
        r.AsInt += ' ';
    }
}

std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Nothing came back: the port's own failure where it had one (missing,
// vanished, refused), otherwise "No result to read".
void NothingReceived(TSerialResponse& r)
{
    if (r.Status.empty() || r.Status == StatusTimeout)
        r.Status = StatusNoResult;
}

}  // namespace

void TVoegtlinPort::UseControllerLine(const std::string& port)
{
    Port = port;
    BaudRate = 9600;
    StopBits = 2;
    Parity = 0;
    WindowsReadLoopTimeoutMS = 10;
    ReadoutTimeoutMS = 50;
}

const std::uint8_t* TVoegtlinPort::Read(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress,
                                        std::uint16_t registers, TSerialResponse& r)
{
    const TArrayOfByte frame = ReadRegistersFrame(DeviceAddress, MemoryAddress, registers);
    const std::size_t expected = ReadReplyLength(registers);
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0)
            r = TSerialResponse();
        SendData(frame.data(), static_cast<std::uint32_t>(frame.size()), true, r);
        // A reply filling the whole buffer counts 0 modulo 256: it is still one.
        if (r.ReceivedCount == 0) {
            NothingReceived(r);
            return nullptr;
        }
        const TReplyLocation found = LocateReadReply(r.rArray.data(), r.ReceivedCount,
                                                     static_cast<std::uint8_t>(DeviceAddress & 0xFF), expected);
        if (found.Status == StatusChecksumError && attempt < GarbledReplyRetries)
            continue;
        if (!found.Status.empty()) {
            r.Status = found.Status;
            return nullptr;
        }
        const std::uint8_t* reply = r.rArray.data() + found.Offset;
        AppendHexAndInt(r, reply, expected);
        r.Status.clear();
        return reply + 3;
    }
}

TSerialResponse TVoegtlinPort::ReadU8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress)
{
    TSerialResponse r;
    if (const std::uint8_t* data = Read(DeviceAddress, MemoryAddress, 1, r)) {
        const int value = data[0] * 256 + data[1];
        r.AsInteger = value;
        r.AsFloat = static_cast<float>(value);
    }
    return r;
}

TSerialResponse TVoegtlinPort::ReadU16(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress)
{
    return ReadU8(DeviceAddress, MemoryAddress);
}

TSerialResponse TVoegtlinPort::ReadText(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress,
                                        std::uint16_t registers, bool trimBlanks)
{
    TSerialResponse r;
    if (const std::uint8_t* data = Read(DeviceAddress, MemoryAddress, registers, r)) {
        const std::string text = DecodeText(data, 2 * static_cast<std::size_t>(registers));
        r.AsString = trimBlanks ? TrimBlanks(text) : text;
    }
    return r;
}

TSerialResponse TVoegtlinPort::ReadS8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress)
{
    return ReadText(DeviceAddress, MemoryAddress, 4, true);
}

TSerialResponse TVoegtlinPort::ReadS50(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress)
{
    return ReadText(DeviceAddress, MemoryAddress, 25, false);
}

TSerialResponse TVoegtlinPort::ReadF32(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress)
{
    TSerialResponse r;
    if (const std::uint8_t* data = Read(DeviceAddress, MemoryAddress, 2, r))
        r.AsFloat = DecodeF32(data);
    else
        r.AsFloat = std::bit_cast<float>(std::uint32_t{0xFFC00000});  // quiet NaN
    return r;
}

TSerialResponse TVoegtlinPort::Write(const std::vector<std::uint8_t>& frame)
{
    // The controller's acknowledgement arrives in the pause after the write.
    // Every write the program makes may be made twice: it sets a value.
    for (int attempt = 0;; ++attempt) {
        TSerialResponse r;
        SendAndAwait(frame.data(), static_cast<std::uint32_t>(frame.size()), WriteReplyLength, PauseAfterWriteMs, r);
        if (r.ReceivedCount == 0) {
            NothingReceived(r);
            return r;
        }
        const TReplyLocation found = LocateWriteReply(r.rArray.data(), r.ReceivedCount, frame);
        if (found.Status == StatusChecksumError && attempt < GarbledReplyRetries)
            continue;
        r.Status = found.Status;
        if (found.Status.empty())
            AppendHexAndInt(r, r.rArray.data() + found.Offset, WriteReplyLength);
        return r;
    }
}

TSerialResponse TVoegtlinPort::WriteU8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t aValue)
{
    return Write(WriteRegisterFrame(DeviceAddress, MemoryAddress, aValue));
}

TSerialResponse TVoegtlinPort::WriteF32(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, float aValue)
{
    // A controller must never be asked for a flow that is not a number, an
    // infinite one or a negative one, whoever computed it.
    if (MemoryAddress == RegisterSetPoint && !(std::isfinite(aValue) && aValue >= 0.0f)) {
        TSerialResponse r;
        r.Status = StatusInvalidSetPoint;
        return r;
    }
    // Zero goes out as +0: a controller need not know the sign bit of zero.
    if (aValue == 0.0f)
        aValue = 0.0f;
    return Write(WriteFloatFrame(DeviceAddress, MemoryAddress, aValue));
}
