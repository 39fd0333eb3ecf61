#include "modbus_frame.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        std::uint16_t v = static_cast<std::uint16_t>(n);
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? static_cast<std::uint16_t>((v >> 1) ^ 0xA001) : static_cast<std::uint16_t>(v >> 1);
        table[n] = v;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> CrcTable = MakeCrcTable();

TArrayOfByte WithCrc(TArrayOfByte frame)
{
    const std::uint16_t crc = CalculateCRC16(65535, frame.data(), static_cast<std::uint32_t>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

TArrayOfByte Header(std::uint32_t DeviceAddress, std::uint8_t function, std::uint32_t MemoryAddress)
{
    return {static_cast<std::uint8_t>(DeviceAddress & 0xFF), function,
            static_cast<std::uint8_t>((MemoryAddress >> 8) & 0xFF), static_cast<std::uint8_t>(MemoryAddress & 0xFF)};
}

bool CrcMatches(const std::uint8_t* frame, std::size_t length)
{
    const std::uint16_t crc = CalculateCRC16(65535, frame, static_cast<std::uint32_t>(length - 2));
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

bool IsTextCharacter(std::uint8_t c)
{
    return c == ' ' || c == '%' || c == '*' || c == ',' || c == '/' || c == '_' || (c >= '0' && c <= '9')
        || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::uint16_t CalculateCRC16(std::uint16_t start, const std::uint8_t* data, std::uint32_t count)
{
    if (!data || count == 0)
        return start;
    std::uint16_t crc = start;
    for (std::uint32_t i = 0; i < count; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ CrcTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

TArrayOfByte ReadRegistersFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t registers)
{
    TArrayOfByte frame = Header(DeviceAddress, FunctionReadHoldingRegisters, MemoryAddress);
    frame.push_back(static_cast<std::uint8_t>(registers >> 8));
    frame.push_back(static_cast<std::uint8_t>(registers & 0xFF));
    return WithCrc(std::move(frame));
}

TArrayOfByte WriteRegisterFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t value)
{
    TArrayOfByte frame = Header(DeviceAddress, FunctionWriteSingleRegister, MemoryAddress);
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFF));
    return WithCrc(std::move(frame));
}

TArrayOfByte WriteFloatFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, float value)
{
    TArrayOfByte frame = Header(DeviceAddress, FunctionWriteMultipleRegisters, MemoryAddress);
    frame.insert(frame.end(), {0, 2, 4});
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
    return WithCrc(std::move(frame));
}

const char* ModbusExceptionName(std::uint8_t code)
{
    switch (code) {
    case 1: return "Illegal Function";
    case 2: return "Illegal Data Address";
    case 3: return "Illegal Data Value";
    case 4: return "Server Device Failure";
    case 5: return "Acknowledge";
    case 6: return "Server Device Busy";
    case 8: return "Memory Parity Error";
    case 10: return "Gateway Path Unavailable";
    case 11: return "Gateway Target Device Failed to Respond";
    default: return "Unknown Exception";
    }
}

std::string ExceptionStatus(std::uint8_t address, std::uint8_t code)
{
    return "Controller " + std::to_string(address) + " reported exception " + std::to_string(code) + " ("
        + ModbusExceptionName(code) + ")";
}

namespace {

// Where the reply to a request with `function` lies among the bytes
// received: a frame of `expectedLength` from `address` with a good CRC that
// ends the bytes and that `answers` takes for the answer; `mismatch` is the
// status of such a frame `answers` refuses.
template <class Answers>
TReplyLocation LocateReply(const std::uint8_t* bytes, std::size_t count, std::uint8_t address, std::uint8_t function,
                           std::size_t expectedLength, Answers answers, const char* mismatch)
{
    constexpr std::size_t exceptionLength = 5;
    // A frame of the controller's that ends the bytes received, `length` long.
    auto tail = [&](std::size_t length) -> const std::uint8_t* {
        if (length < 4 || count < length)
            return nullptr;
        const std::uint8_t* f = bytes + (count - length);
        return f[0] == address && CrcMatches(f, length) ? f : nullptr;
    };

    const std::uint8_t* whole = tail(expectedLength);
    if (whole && whole[1] == function && answers(whole))
        return {{}, count - expectedLength};
    if (const std::uint8_t* f = tail(exceptionLength); f && f[1] == (function | ExceptionBit))
        return {ExceptionStatus(address, f[2]), 0};
    // A valid frame from the controller, but the answer to another request:
    // all the bytes received, or as many as the reply would have had.
    for (const std::uint8_t* f : {tail(count), whole}) {
        if (f && f[1] != function)
            return {StatusUnexpectedFunction, 0};
    }
    if (whole)
        return {mismatch, 0};  // the right function, but not this request's answer
    if (count != expectedLength)
        return {StatusWrongAmount, 0};
    if (!CrcMatches(bytes, count))
        return {StatusChecksumError, 0};
    if (bytes[0] != address)
        return {StatusWrongDevice, 0};
    return {StatusWrongAmount, 0};
}

}  // namespace

TReplyLocation LocateReadReply(const std::uint8_t* bytes, std::size_t count, std::uint8_t address,
                               std::size_t expectedLength)
{
    const auto byteCount = static_cast<std::uint8_t>(expectedLength - 5);
    // A valid frame announcing another amount of data is the wrong amount.
    return LocateReply(
        bytes, count, address, FunctionReadHoldingRegisters, expectedLength,
        [byteCount](const std::uint8_t* f) { return f[2] == byteCount; }, StatusWrongAmount);
}

TReplyLocation LocateWriteReply(const std::uint8_t* bytes, std::size_t count, const TArrayOfByte& request)
{
    if (request.size() < 6)
        return {StatusEchoMismatch, 0};
    const std::uint8_t* r = request.data();
    // Register and value (function 6) or register and count (function 16):
    // bytes 3 to 6 of the request, echoed.
    return LocateReply(
        bytes, count, r[0], r[1], WriteReplyLength,
        [r](const std::uint8_t* f) { return std::equal(f + 2, f + 6, r + 2); }, StatusEchoMismatch);
}

float DecodeF32(const std::uint8_t* data)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(data[0]) << 24 | static_cast<std::uint32_t>(data[1]) << 16
        | static_cast<std::uint32_t>(data[2]) << 8 | data[3];
    return std::bit_cast<float>(bits);
}

std::string DecodeText(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (IsTextCharacter(data[i]))
            text.push_back(static_cast<char>(data[i]));
    }
    return text;
}
