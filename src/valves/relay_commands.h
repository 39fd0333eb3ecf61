#pragma once

#include <array>
#include <cstdint>

// The relay board's commands; every one begins with 254 and awaits a reply.
inline constexpr std::array<std::uint8_t, 2> BoardCheckCommand = {254, 33};
inline constexpr std::uint8_t BoardCheckOk = 85;
inline constexpr std::array<std::uint8_t, 2> ReadAnalogueCommand = {254, 158};
inline constexpr std::uint8_t SetValvesCode = 40;

// The valve pattern byte: bit 0 is V1 ... bit 5 is V6, a set bit opens the
// valve; any non-zero argument counts as open.
inline std::uint8_t ValvePattern(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O)
{
    return static_cast<std::uint8_t>((iV1O ? 1 : 0) | (iV2O ? 2 : 0) | (iV3O ? 4 : 0) | (iV4O ? 8 : 0) | (iV5O ? 16 : 0)
                                     | (iV6O ? 32 : 0));
}

inline std::array<std::uint8_t, 3> SetValvesCommand(std::uint8_t pattern)
{
    return {254, SetValvesCode, pattern};
}
