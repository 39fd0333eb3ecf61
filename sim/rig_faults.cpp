#include "rig_faults.h"

#include <charconv>
#include <cmath>

std::string_view RigFaultName(TRigFault fault)
{
    switch (fault) {
    case TRigFault::RelaySilent: return "relay-silent";
    case TRigFault::Mfc1Silent: return "mfc1-silent";
    case TRigFault::Mfc2Silent: return "mfc2-silent";
    case TRigFault::MfcBadCrc: return "mfc-bad-crc";
    case TRigFault::GasBEmpty: return "gas-b-empty";
    case TRigFault::BubblerOpenCircuit: return "bubbler-open-circuit";
    }
    return {};
}

const std::vector<TRigFault>& AllRigFaults()
{
    static const std::vector<TRigFault> all
        = {TRigFault::RelaySilent, TRigFault::Mfc1Silent, TRigFault::Mfc2Silent,
           TRigFault::MfcBadCrc,   TRigFault::GasBEmpty,  TRigFault::BubblerOpenCircuit};
    return all;
}

std::optional<TScheduledFault> ParseScheduledFault(std::string_view text)
{
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = text.substr(0, at);
    const std::string_view seconds = text.substr(at + 1);

    TScheduledFault scheduled;
    bool known = false;
    for (TRigFault fault : AllRigFaults()) {
        if (RigFaultName(fault) == name) {
            scheduled.Fault = fault;
            known = true;
        }
    }
    if (!known || seconds.empty())
        return std::nullopt;
    const char* end = seconds.data() + seconds.size();
    const auto [stop, error] = std::from_chars(seconds.data(), end, scheduled.Seconds, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(scheduled.Seconds) || scheduled.Seconds < 0.0)
        return std::nullopt;
    return scheduled;
}
