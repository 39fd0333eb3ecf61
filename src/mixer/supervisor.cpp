#include "supervisor.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "failure_reason.h"
#include "mfc_registers.h"
#include "number_picture.h"
#include "pulse_dosing.h"
#include "time_picture.h"
#include "window_state.h"
#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

// The flow an alarm reports is measured over the newest readings this long
// (the sign of life reads a controller once a second).
constexpr double RecentFlowSeconds = 2.0;

const char* GasName(std::uint32_t Address)
{
    return Address == AddressGasA ? "Gas A" : "Gas B";
}

// What an alarm tells the operator to look at. Pulses that fall behind may
// also be asked for more than one pulse a tick can give.
const char* Hint(bool tooLittle, bool pulsed)
{
    if (!tooLittle)
        return " (controller not following its set-point?)";
    return pulsed ? " (cylinder empty, line closed, or more than the pulses can deliver?)"
                  : " (cylinder empty or line closed?)";
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

}  // namespace

TSupervisor::TSupervisor(const TWindowState& state, const TEquipmentGateway& gateway, Clock& clock)
    : S_(state)
    , Gateway_(gateway)
    , Clock_(clock)
{
}

std::optional<std::string> TSupervisor::Check(const TMethodSteps& steps) const
{
    if (auto lost = DeviceLost())
        return lost;
    for (std::uint32_t address : {AddressGasA, AddressGasB}) {
        auto off = Pulsed(steps, address) ? MassOffDue(address) : FlowOffSetPoint(address);
        if (off)
            return off;
    }
    return std::nullopt;
}

const TDeviceHealth* TSupervisor::Silent(TDevice device) const
{
    const TDeviceHealth& h = Gateway_.Health(device);
    if (h.ConsecutiveFailures < 2)
        return nullptr;
    const double quietSince = h.LastAnswer >= 0.0 ? h.LastAnswer : h.FailingSince;
    if ((Clock_.now() - quietSince) * SecondsPerDay < DeviceSilenceSeconds)
        return nullptr;
    return &h;
}

std::string TSupervisor::DeviceLabel(TDevice device) const
{
    std::string label = DeviceName(device);
    if (device == TDevice::RelayBoard)
        return label;
    const bool gasA = device == TDevice::Controller1;
    const std::string& gas = gasA ? S_.A.Name : S_.B.Name;
    return label + (gasA ? " (gas A" : " (gas B") + (gas.empty() ? std::string() : ", " + gas) + ")";
}

namespace {

std::string Since(const TDeviceHealth& h)
{
    return " since " + Text(FormatDayCount(QStringLiteral("hh:nn:ss"), h.FailingSinceWall)) + ": "
        + PlainReason(h.LastFailure);
}

}  // namespace

std::optional<std::string> TSupervisor::DeviceLost() const
{
    for (TDevice device : {TDevice::RelayBoard, TDevice::Controller1, TDevice::Controller2}) {
        const TDeviceHealth* h = Silent(device);
        if (!h)
            continue;
        // The controllers share a port: when it is lost both fail, and the
        // first of them is named, whichever fell silent a moment earlier.
        const TDeviceHealth& first = Gateway_.Health(TDevice::Controller1);
        if (device == TDevice::Controller2 && first.ConsecutiveFailures >= 2)
            return DeviceLabel(TDevice::Controller1) + " not answering" + Since(first);
        return DeviceLabel(device) + " not answering" + Since(*h);
    }
    return std::nullopt;
}

std::optional<std::string> TSupervisor::StandbyUnconfirmed() const
{
    for (TDevice device : {TDevice::RelayBoard, TDevice::Controller1, TDevice::Controller2}) {
        if (const TDeviceHealth* h = Silent(device)) {
            const char* what
                = device == TDevice::RelayBoard ? " did not confirm the closed valves" : " did not confirm zero flow";
            return DeviceLabel(device) + what + Since(*h);
        }
    }
    return std::nullopt;
}

std::optional<std::string> TSupervisor::FlowOffSetPoint(std::uint32_t Address) const
{
    const std::optional<float> setPoint = Gateway_.SetPoint(Address);
    const double minFlow
        = Address == AddressGasA ? S_.PossibleMinFlowAGramsperMinute : S_.PossibleMinFlowBGramsperMinute;
    // Below its minimum a controller does not regulate: nothing to judge.
    if (!setPoint || !(*setPoint > 0.0f) || *setPoint < minFlow)
        return std::nullopt;

    // The newest reading, and the newest one a whole window before it; both
    // taken since the set-point was sent.
    const auto& history = Gateway_.TotalizerHistory(Address);
    if (history.size() < 2)
        return std::nullopt;
    const TTotalizerSample& newest = history.back();
    const double from = newest.At - FlowWindowSeconds / SecondsPerDay;
    auto start
        = std::find_if(history.rbegin(), history.rend(), [from](const TTotalizerSample& s) { return s.At <= from; });
    if (start == history.rend() || start->At < Gateway_.SetPointSince(Address))
        return std::nullopt;

    const double flow = (newest.Grams - start->Grams) / ((newest.At - start->At) * MinutesPerDay);
    if (std::abs(flow - *setPoint) <= FlowTolerance * *setPoint)
        return std::nullopt;
    // The operator is told the flow as it is now: the window's average
    // still holds the gas of the time before the fault.
    const double now = Gateway_.MeasuredFlow(Address, RecentFlowSeconds).value_or(flow);
    return std::string(GasName(Address)) + " flow " + Text(FormatFloat(QStringLiteral("0.000"), now))
        + " g/min against " + Text(FormatFloat(QStringLiteral("0.000"), *setPoint)) + " g/min set"
        + Hint(flow < *setPoint, false);
}

std::optional<std::string> TSupervisor::MassOffDue(std::uint32_t Address) const
{
    const bool gasA = Address == AddressGasA;
    const TTotalizer& totalizer = gasA ? S_.TotalizerA : S_.TotalizerB;
    const TPulseLedger& pulses = gasA ? S_.PulsesA : S_.PulsesB;
    const double planned = gasA ? S_.DesiredFlowAGramsperMinute : S_.DesiredFlowBGramsperMinute;
    const auto& history = Gateway_.TotalizerHistory(Address);
    if (history.empty() || !(planned > 0.0))
        return std::nullopt;

    // Judged once the dosing has had a whole window to settle, at the pace
    // of the dosing: what was counted and what the controller still
    // delivers of the pulses asked for (no more than the last seconds'
    // pulses: a gas that does not come falls behind) against what is due.
    // The dosing keeps within half a pulse of the plan; one whole pulse is
    // its graininess, not a fault.
    const TTotalizerSample& newest = history.back();
    const double now = Clock_.now();
    const double minutes = (now - totalizer.StartTime) * MinutesPerDay;
    if (minutes * 60.0 < FlowWindowSeconds)
        return std::nullopt;
    const double due = minutes * planned;
    const double delivered = newest.Grams;
    const double coming = delivered + pulses.OnItsWay(now, delivered);
    const double pulse = SmallestPulseGrams(PulseSetPointOf(gasA ? S_.FIA : S_.FIB));
    if (std::abs(coming - due) <= std::max(FlowTolerance * due, pulse))
        return std::nullopt;
    const QString mass = QStringLiteral("0.000 000");
    return std::string(GasName(Address)) + " delivered " + Text(FormatFloat(mass, delivered)) + " g against "
        + Text(FormatFloat(mass, due)) + " g due" + Hint(delivered < due, true);
}
