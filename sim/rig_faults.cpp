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
    case TRigFault::MfcFlaky: return "mfc-flaky";
    case TRigFault::PortUnplug: return "port-unplug";
    case TRigFault::MfcStale: return "mfc-stale";
    }
    return {};
}

const std::vector<TRigFault>& AllRigFaults()
{
    static const std::vector<TRigFault> all
        = {TRigFault::RelaySilent, TRigFault::Mfc1Silent, TRigFault::Mfc2Silent,
           TRigFault::MfcBadCrc,   TRigFault::GasBEmpty,  TRigFault::BubblerOpenCircuit,
           TRigFault::MfcFlaky,    TRigFault::PortUnplug, TRigFault::MfcStale};
    return all;
}

std::string_view RigFaultArgument(TRigFault fault)
{
    switch (fault) {
    case TRigFault::MfcFlaky: return "PERCENT";
    case TRigFault::PortUnplug: return "SECONDS";
    default: return {};
    }
}

std::string RigFaultForms()
{
    std::string forms;
    for (TRigFault fault : AllRigFaults()) {
        if (!forms.empty())
            forms += ", ";
        forms += std::string(RigFaultName(fault)) + "@S";
        if (!RigFaultArgument(fault).empty())
            forms += ":" + std::string(RigFaultArgument(fault));
    }
    return forms;
}

namespace {

// A plain decimal number, nothing before or after it.
std::optional<double> Decimal(std::string_view text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<TScheduledFault> ParseScheduledFault(std::string_view text)
{
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = text.substr(0, at);
    std::string_view seconds = text.substr(at + 1);

    TScheduledFault scheduled;
    bool known = false;
    for (TRigFault fault : AllRigFaults()) {
        if (RigFaultName(fault) == name) {
            scheduled.Fault = fault;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    const std::size_t colon = seconds.find(':');
    const bool takesArgument = !RigFaultArgument(scheduled.Fault).empty();
    if ((colon != std::string_view::npos) != takesArgument)
        return std::nullopt;
    if (takesArgument) {
        const auto argument = Decimal(seconds.substr(colon + 1));
        const double most = scheduled.Fault == TRigFault::MfcFlaky ? 100.0 : 365.0 * 86400.0;
        if (!argument || !(*argument > 0.0 && *argument <= most))
            return std::nullopt;
        scheduled.Argument = *argument;
        seconds = seconds.substr(0, colon);
    }
    const auto start = Decimal(seconds);
    if (!start || *start < 0.0)
        return std::nullopt;
    scheduled.Seconds = *start;
    return scheduled;
}
