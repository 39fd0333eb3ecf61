#include "relay_board_model.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

// Bytes of one command arrive back to back; a longer pause starts afresh.
constexpr double CommandGapMs = 5.0;
constexpr std::uint8_t Lead = 254;
constexpr std::uint8_t Check = 33;
constexpr std::uint8_t SetRelays = 40;
constexpr std::uint8_t ReadAnalogue = 158;
constexpr std::uint8_t Acknowledge = 85;

// The thermistor's curve, T = (a - b X) / (X + c) with X = R^k, solved for R.
constexpr double CurveA = 6283.0899408029090374;
constexpr double CurveB = 54.859166561;
constexpr double CurveC = 33.2268710113;
constexpr double CurveK = 0.459764902059;
constexpr double UpperOhm = 10000.0;

}  // namespace

std::uint16_t ThermistorCountAt(double celsius)
{
    const double x = (CurveA - CurveC * celsius) / (celsius + CurveB);
    if (!(x > 0.0))
        return 1023;
    const double ohm = std::pow(x, 1.0 / CurveK);
    const double fraction = ohm / (UpperOhm + ohm);  // divider voltage / 5 V
    return static_cast<std::uint16_t>(std::clamp(std::lround(fraction * 1024.0), 0L, 1023L));
}

RelayBoardModel::RelayBoardModel() = default;

std::uint16_t RelayBoardModel::AnalogueCount() const
{
    return Faults.AnalogueCount ? *Faults.AnalogueCount : ThermistorCountAt(BubblerTemperatureC + ThermistorErrorC);
}

void RelayBoardModel::clearRecords()
{
    commands_.clear();
    patterns_.clear();
}

DeviceReply RelayBoardModel::receive(const std::vector<std::uint8_t>& bytes, double at)
{
    DeviceReply reply;
    if (Faults.Silent || bytes.empty())
        return reply;
    if (!pending_.empty() && (at - lastByteAt_) * MsPerDay > CommandGapMs)
        pending_.clear();
    lastByteAt_ = at;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());

    // Skip anything that cannot start a command.
    const auto lead = std::find(pending_.begin(), pending_.end(), Lead);
    pending_.erase(pending_.begin(), lead);
    if (pending_.size() < 2)
        return reply;
    const std::uint8_t code = pending_[1];
    const std::size_t length = code == SetRelays ? 3 : 2;
    if (pending_.size() < length)
        return reply;
    const std::vector<std::uint8_t> command(pending_.begin(), pending_.begin() + static_cast<long>(length));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(length));
    if (KeepRecords)
        commands_.push_back({at, command});

    reply.DelayMs = Faults.ReplyDelayMs;
    switch (code) {
    case Check: reply.Bytes = {Faults.CheckReply ? *Faults.CheckReply : Acknowledge}; break;
    case SetRelays: {
        const auto pattern = static_cast<std::uint8_t>(command[2] & 0x3F);
        if (OnSwitch)
            OnSwitch(at, pattern_, pattern);
        pattern_ = pattern;
        if (KeepRecords)
            patterns_.push_back({at, pattern_});
        reply.Bytes = {Acknowledge};
        break;
    }
    case ReadAnalogue: {
        const std::uint16_t count = AnalogueCount();
        reply.Bytes = {static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count & 0xFF)};
        if (Faults.ShortAnalogueReply)
            reply.Bytes.resize(1);
        break;
    }
    default:
        reply.Bytes.clear();  // not a command this board knows
        break;
    }
    return reply;
}
