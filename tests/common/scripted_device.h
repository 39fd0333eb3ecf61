#pragma once

#include "device_model.h"

#include <deque>
#include <vector>

// A device that answers each write with the next reply of its script (no
// reply once the script is used up) and records every piece it received.
class ScriptedDevice final : public DeviceModel {
public:
    SerialFraming Framing{9600, 0, 2};
    std::deque<DeviceReply> Replies;
    std::vector<std::vector<std::uint8_t>> Received;

    SerialFraming framing() const override { return Framing; }
    DeviceReply receive(const std::vector<std::uint8_t>& bytes, double) override
    {
        Received.push_back(bytes);
        if (Replies.empty())
            return {};
        DeviceReply next = Replies.front();
        Replies.pop_front();
        return next;
    }
};
