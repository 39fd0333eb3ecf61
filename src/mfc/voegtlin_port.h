#pragma once

#include "serial_port.h"

#include <cstdint>
#include <string>

// Status of a set-point write refused before anything is sent.
inline constexpr const char* StatusInvalidSetPoint = "Invalid set-point";

// The flow controllers' register layer over Modbus RTU: each operation is
// one transaction with one controller. A read is accepted only when its
// reply frame has the right address, function code, length and CRC; the
// decoded fields are left alone otherwise (ReadF32 then gives NaN). A write
// is accepted only when the controller echoes it: its acknowledgement is
// read in the 10 ms that follow the frame, and a missing, short, corrupted
// or different reply, or an exception, is a failure. A reply garbled on the
// line (a wrong checksum) is asked for once more at once, so a noisy line
// costs an exchange rather than a reading. Nothing received is "No result
// to read" unless the port itself failed (missing, vanished, refused),
// which keeps the port's status.
class TVoegtlinPort : public TSerialPort {
public:
    using TSerialPort::TSerialPort;

    // The controllers' line: 9600 bit/s, 8 data bits, no parity, two stop
    // bits, 10 ms between polls, 50 ms for the first reply byte.
    void UseControllerLine(const std::string& port);

    // One 16-bit register, all 16 bits: AsInteger and AsFloat.
    TSerialResponse ReadU8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress);
    TSerialResponse ReadU16(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress);
    // 8 characters in 4 registers, leading and trailing blanks removed: AsString.
    TSerialResponse ReadS8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress);
    // 50 characters in 25 registers, blanks kept: AsString.
    TSerialResponse ReadS50(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress);
    // A float in 2 registers: AsFloat (NaN when the read failed).
    TSerialResponse ReadF32(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress);

    TSerialResponse WriteU8(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t aValue);
    // A set-point (register 6) that is negative or not finite is refused with
    // "Invalid set-point" and nothing is sent.
    TSerialResponse WriteF32(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, float aValue);

private:
    // Runs the read; on success returns the register data inside
    // `r.rArray`, else null with the status set.
    const std::uint8_t* Read(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t registers,
                             TSerialResponse& r);
    TSerialResponse ReadText(std::uint32_t DeviceAddress, std::uint32_t MemoryAddress, std::uint16_t registers,
                             bool trimBlanks);
    TSerialResponse Write(const std::vector<std::uint8_t>& frame);
};
