#pragma once

#include <cstdint>

// The controllers' registers this program uses, as addressed on the wire.
inline constexpr std::uint32_t RegisterTotalizer = 4;           // float, kg (x 1000 = grams), read
inline constexpr std::uint32_t RegisterSetPoint = 6;            // float, g/min, write
inline constexpr std::uint32_t RegisterIdentification = 35;     // 8 characters, begins "GSC"
inline constexpr std::uint32_t RegisterGasTableInUse = 16697;   // 16-bit, the table metered with
inline constexpr std::uint32_t RegisterGasTableShown = 24575;   // 16-bit, the table shown below
inline constexpr std::uint32_t RegisterFullScale = 24608;       // float, g/min
inline constexpr std::uint32_t RegisterLongName = 24610;        // 50 characters
inline constexpr std::uint32_t RegisterShortName = 24642;       // 8 characters
inline constexpr std::uint32_t RegisterFlowUnit = 24646;        // 8 characters
inline constexpr std::uint32_t RegisterDynamicRange = 24866;    // 16-bit
inline constexpr std::uint32_t RegisterTotalizerValue = 25472;  // float, kg; writing 0.0 zeroes it

// Bus addresses: controller 1 meters gas A, controller 2 gas B.
inline constexpr std::uint32_t AddressGasA = 1;
inline constexpr std::uint32_t AddressGasB = 2;
