#pragma once

#include "mixing_methods.h"

#include <cstdint>
#include <optional>
#include <string>

class Clock;
class TEquipmentGateway;
struct TDeviceHealth;
enum class TDevice;
struct TWindowState;

// Watches the rig while the mixer sends gas out (Dilution, Bypass): a device
// that has stopped answering, or a controller whose gas does not flow as
// set. It only looks at what the gateway has recorded; the mixer acts on
// what it finds.
class TSupervisor {
public:
    // A device that has not answered for this long, and has failed every
    // transaction since its last answer (two at least), is lost.
    static constexpr double DeviceSilenceSeconds = 1.0;
    // A controller's flow is judged on this much of its totalizer readings,
    // all taken at one steady set-point.
    static constexpr double FlowWindowSeconds = 30.0;
    // A flow off its set-point by more than this share of it, or a pulsed
    // gas's delivered mass off the mass due by more than this share of it,
    // is lost.
    static constexpr double FlowTolerance = 0.10;

    TSupervisor(const TWindowState& state, const TEquipmentGateway& gateway, Clock& clock);

    // The cause of an alarm for the rig as it is now, if there is one: a lost
    // device first (relay board, controller 1, controller 2), then the flow
    // of controller 1 and 2. `steps` tells which gases the running method
    // doses in pulses; those are judged on the mass delivered since the
    // totalizers were zeroed instead of their set-point.
    std::optional<std::string> Check(const TMethodSteps& steps) const;

    // In Standby: the cause of an alarm when a device has not confirmed the
    // standby commands (all valves closed, both set-points zero) for as long
    // as a device may be silent: "Flow controller 2 (gas B, Ar) did not
    // confirm zero flow since 15:21:07: no reply".
    std::optional<std::string> StandbyUnconfirmed() const;

private:
    // A device that has failed every transaction for DeviceSilenceSeconds
    // (two at least), and since when (wall clock), if there is one.
    const TDeviceHealth* Silent(TDevice device) const;
    // "Flow controller 2 (gas B, Ar)": the device with the gas it meters.
    std::string DeviceLabel(TDevice device) const;
    std::optional<std::string> DeviceLost() const;
    std::optional<std::string> FlowOffSetPoint(std::uint32_t Address) const;
    std::optional<std::string> MassOffDue(std::uint32_t Address) const;

    const TWindowState& S_;
    const TEquipmentGateway& Gateway_;
    Clock& Clock_;
};
