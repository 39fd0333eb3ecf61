#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The device side's own Modbus RTU framing, written apart from the
// program's so that a model checks the program's frames instead of
// agreeing with them by construction.

// CRC-16/MODBUS, bit by bit.
std::uint16_t RtuCrc(const std::uint8_t* data, std::size_t size);

// Appends the CRC, low byte first.
void AppendRtuCrc(std::vector<std::uint8_t>& frame);

// True when the frame ends in the right CRC for the bytes before it.
bool RtuCrcMatches(const std::vector<std::uint8_t>& frame);

// Length of the request frame starting at `bytes[0]`, from its function
// code: 8 for codes 3 and 6, 9 plus the byte count for code 16. Zero when
// not enough bytes are there yet to tell; -1 for another function code.
int RtuRequestLength(const std::vector<std::uint8_t>& bytes);

// A Modbus exception reply: address, function code + 0x80, exception code.
std::vector<std::uint8_t> RtuExceptionReply(std::uint8_t address, std::uint8_t function, std::uint8_t code);

// Big-endian 16-bit word at `bytes[at]`.
inline std::uint16_t RtuWord(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}
