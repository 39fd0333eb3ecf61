#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A frame in the making: bytes in wire order.
using TArrayOfByte = std::vector<std::uint8_t>;

// The function codes the program uses.
inline constexpr std::uint8_t FunctionReadHoldingRegisters = 3;
inline constexpr std::uint8_t FunctionWriteSingleRegister = 6;
inline constexpr std::uint8_t FunctionWriteMultipleRegisters = 16;
// A controller's reply to a function code, with this bit set: an exception.
inline constexpr std::uint8_t ExceptionBit = 0x80;

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
// Length of the reply to a write, either function: address, function code,
// register, value or count, CRC.
inline constexpr std::size_t WriteReplyLength = 8;

// Statuses of a register read besides the transport's.
inline constexpr const char* StatusNoResult = "No result to read";
inline constexpr const char* StatusWrongAmount = "Wrong amount of data waiting";
inline constexpr const char* StatusChecksumError = "Checksum error in response";
inline constexpr const char* StatusWrongDevice = "Response from wrong device";
inline constexpr const char* StatusUnexpectedFunction = "Unexpected function code in response";
// Statuses of a write.
inline constexpr const char* StatusEchoMismatch = "Response does not match the request";

// The name the Modbus application protocol gives an exception code ("Illegal
// Data Address" for 2); "Unknown Exception" for a code it does not define.
const char* ModbusExceptionName(std::uint8_t code);
// "Controller 1 reported exception 2 (Illegal Data Address)".
std::string ExceptionStatus(std::uint8_t address, std::uint8_t code);

// Where the reply to a read lies among the bytes received: a complete frame
// with the right address, function code, byte count and CRC that ends the
// bytes received (bytes in front of it are left over from an earlier
// exchange; bytes after it make the reply "Wrong amount of data waiting").
// `Status` is empty when one was found; otherwise it says why the bytes are
// no reply: the controller's exception, a valid frame from the controller
// with another function code, the wrong amount, a bad CRC or another
// device's address.
struct TReplyLocation {
    std::string Status;
    std::size_t Offset = 0;
};
TReplyLocation LocateReadReply(const std::uint8_t* bytes, std::size_t count, std::uint8_t address,
                               std::size_t expectedLength);
// The same for the reply to a write `request` (function 6 or 16, with its
// CRC): the controller echoes the address, function code and register with
// the value (function 6) or the register count (function 16). A valid frame
// of the right function that echoes anything else is StatusEchoMismatch.
TReplyLocation LocateWriteReply(const std::uint8_t* bytes, std::size_t count, const TArrayOfByte& request);

// Register data decoded, big-endian.
float DecodeF32(const std::uint8_t* data);
// Text registers: keeps blanks, "%", "*", ",", "/", digits, letters and "_";
// drops every other byte.
std::string DecodeText(const std::uint8_t* data, std::size_t size);
