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
constexpr std::uint8_t ValvePattern(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O)
{
    return static_cast<std::uint8_t>((iV1O ? 1 : 0) | (iV2O ? 2 : 0) | (iV3O ? 4 : 0) | (iV4O ? 8 : 0) | (iV5O ? 16 : 0)
                                     | (iV6O ? 32 : 0));
}

// The patterns the mixer switches between. V1 is the bubbler inlet from the
// gas B line, V2 the bubbler outlet into the mixing line, V3 the bypass that
// takes gas B straight to App, V4 dry gas B into the mixing line, V5 the
// chambers to App and V6 the chambers to Vent.
inline constexpr std::uint8_t ValvesAllClosed = ValvePattern(0, 0, 0, 0, 0, 0);  // Standby, a flush's end
inline constexpr std::uint8_t ValvesBypass = ValvePattern(0, 0, 1, 0, 0, 0);     // Bypass, a flush's first step
inline constexpr std::uint8_t ValvesFlushBubbler = ValvePattern(1, 1, 0, 0, 0, 1);
inline constexpr std::uint8_t ValvesFlushDry = ValvePattern(0, 0, 0, 1, 0, 1);
inline constexpr std::uint8_t ValvesDryPath = ValvePattern(0, 0, 0, 1, 1, 0);  // gas A and dry gas B to App
inline constexpr std::uint8_t ValvesWetPath = ValvePattern(1, 1, 0, 0, 1, 0);  // gas B through the bubbler

inline std::array<std::uint8_t, 3> SetValvesCommand(std::uint8_t pattern)
{
    return {254, SetValvesCode, pattern};
}
