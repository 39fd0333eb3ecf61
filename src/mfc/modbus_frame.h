#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A frame in the making: bytes in wire order.
using TArrayOfByte = std::vector<std::uint8_t>;

// CRC-16/MODBUS through a 256-entry table: reflected polynomial 0xA001, no
// final inversion; callers start from 65535. Returns `start` unchanged for
// no bytes. The CRC goes on the wire low byte first.
std::uint16_t CalculateCRC16(std::uint16_t start, const std::uint8_t* data, std::uint32_t count);

// Request frames with their CRC. Only the low 8 bits of the device address
// and the low 16 bits of the register address are sent, high byte first.
TArrayOfByte ReadRegistersFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t registers);
TArrayOfByte WriteRegisterFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t value);
TArrayOfByte WriteFloatFrame(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, float value);

// Length of the reply to a read of `registers` registers.
constexpr std::size_t ReadReplyLength(std::uint16_t registers)
{
    return 5 + 2 * static_cast<std::size_t>(registers);
}

// Statuses of a register read besides the transport's.
inline constexpr const char* StatusNoResult = "No result to read";
inline constexpr const char* StatusWrongAmount = "Wrong amount of data waiting";
inline constexpr const char* StatusChecksumError = "Checksum error in response";
inline constexpr const char* StatusWrongDevice = "Response from wrong device";

// Where the reply to a read lies among the bytes received: the last complete
// frame with the right address, function code, byte count and CRC (bytes in
// front of it are left over from an earlier exchange). `Status` is empty when
// one was found; otherwise it says why the bytes are no reply.
struct TReplyLocation {
    std::string Status;
    std::size_t Offset = 0;
};
TReplyLocation LocateReadReply(const std::uint8_t* bytes, std::size_t count, std::uint8_t address,
                               std::size_t expectedLength);

// Register data decoded, big-endian.
float DecodeF32(const std::uint8_t* data);
// Text registers: keeps blanks, "%", "*", ",", "/", digits, letters and "_";
// drops every other byte.
std::string DecodeText(const std::uint8_t* data, std::size_t size);
