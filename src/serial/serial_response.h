#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The outcome of one serial transaction. An operation writes only the fields
// named for it and leaves the others as the caller supplied them; callers
// supply a fresh record (strings empty, numbers and bytes zero).
struct TSerialResponse {
    std::string SentMessage;                    // filled by no operation
    QString Response;                           // the reply, one character per byte
    double rDouble = 0.0;                       // filled by no operation
    std::array<std::uint8_t, 256> rArray{};     // the received bytes from index 0
    std::array<std::uint16_t, 16> WordArray{};  // filled by no operation
    std::int32_t ValueOfFirstWord = 0;          // reply bytes 4 and 5, big-endian
    std::int32_t ValueOfSecondWord = 0;         // reply bytes 6 and 7, big-endian
    std::string Status;                         // empty on success, else a message
    std::uint8_t ResponseLength = 0;            // bytes received, modulo 256
    std::size_t ReceivedCount = 0;              // bytes received, not wrapped (at most 256)
    std::string AsHex;                          // reply bytes in hexadecimal
    std::string AsInt;                          // reply bytes in decimal
    float AsFloat = 0.0f;                       // decoded number
    std::int32_t AsInteger = 0;                 // decoded integer
    std::string AsString;                       // decoded text
};
