#pragma once

#include "device_model.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// What can go wrong with the relay board, for tests. Faults stay until changed.
struct RelayBoardFaults {
    bool Silent = false;                         // hears nothing, answers nothing
    std::optional<std::uint8_t> CheckReply;      // answers the board check with this instead of 85
    bool ShortAnalogueReply = false;             // answers the analogue reading with one byte only
    std::optional<std::uint16_t> AnalogueCount;  // answers the analogue reading with this count
    double ReplyDelayMs = 1.0;                   // from the end of a command to the reply
};

// A command as the board received it.
struct RelayCommandRecord {
    double At = 0.0;  // day count when its last byte arrived
    std::vector<std::uint8_t> Bytes;
};

// A valve pattern as the board switched it.
struct ValvePatternRecord {
    double At = 0.0;
    std::uint8_t Pattern = 0;  // bit 0 = V1 ... bit 5 = V6, set = open

    bool Open(int valve) const { return (Pattern >> (valve - 1)) & 1; }
};

// The relay board at 115200 bit/s, 8 data bits, no parity, two stop bits. It
// knows three commands, each beginning with 254: 33, the board check (answers
// 85); 40 P, switch the six valve relays to the pattern P (answers 85); 158,
// read the analogue input (answers two bytes, high first, 1024 steps for 5 V)
// to which the bubbler thermistor is wired, the lower leg of a divider with
// 10 kOhm on top. Unknown bytes are ignored.
class RelayBoardModel final : public DeviceModel {
public:
    RelayBoardModel();

    SerialFraming framing() const override { return {115200, 0, 2}; }
    DeviceReply receive(const std::vector<std::uint8_t>& bytes, double at) override;

    RelayBoardFaults Faults;

    // The bubbler's temperature, degrees Celsius (22 unless set).
    double BubblerTemperatureC = 22.0;
    // The thermistor reads as if the bubbler were this much warmer.
    double ThermistorErrorC = 0.0;
    // The converter's count for the bubbler temperature.
    std::uint16_t AnalogueCount() const;

    // The relay outputs now: bit 0 = V1 ... bit 5 = V6.
    std::uint8_t pattern() const { return pattern_; }
    bool valveOpen(int valve) const { return (pattern_ >> (valve - 1)) & 1; }

    // Hears of every valve switch, before the relays move: when (day count),
    // the pattern until then and the new one.
    std::function<void(double at, std::uint8_t from, std::uint8_t to)> OnSwitch;
    // Whether commands and patterns are kept (long runs turn it off).
    bool KeepRecords = true;

    // Every command received, and every valve pattern switched, in order.
    const std::vector<RelayCommandRecord>& commands() const { return commands_; }
    const std::vector<ValvePatternRecord>& patterns() const { return patterns_; }
    void clearRecords();

private:
    std::uint8_t pattern_ = 0;
    std::vector<std::uint8_t> pending_;  // a command still arriving
    double lastByteAt_ = 0.0;
    std::vector<RelayCommandRecord> commands_;
    std::vector<ValvePatternRecord> patterns_;
};

// The count a 10-bit converter reads for the bubbler thermistor at
// `celsius`: the thermistor's curve inverted, rounded to the nearest step.
std::uint16_t ThermistorCountAt(double celsius);
