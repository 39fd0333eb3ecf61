#include "rtu_frames.h"

std::uint16_t RtuCrc(const std::uint8_t* data, std::size_t size)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void AppendRtuCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = RtuCrc(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool RtuCrcMatches(const std::vector<std::uint8_t>& frame)
{
    if (frame.size() < 4)
        return false;
    const std::size_t n = frame.size() - 2;
    const std::uint16_t crc = RtuCrc(frame.data(), n);
    return frame[n] == (crc & 0xFF) && frame[n + 1] == (crc >> 8);
}

int RtuRequestLength(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 2)
        return 0;
    switch (bytes[1]) {
    case 3:
    case 6: return 8;
    case 16: return bytes.size() < 7 ? 0 : 9 + bytes[6];
    default: return -1;
    }
}

std::vector<std::uint8_t> RtuExceptionReply(std::uint8_t address, std::uint8_t function, std::uint8_t code)
{
    std::vector<std::uint8_t> reply{address, static_cast<std::uint8_t>(function | 0x80), code};
    AppendRtuCrc(reply);
    return reply;
}
