#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The failures the simulated rig can be told to show part-way through a run,
// for training, demonstrations and checks from outside the program.
enum class TRigFault {
    RelaySilent,         // the relay board answers nothing any more
    Mfc1Silent,          // flow controller 1 answers nothing any more
    Mfc2Silent,          // flow controller 2 answers nothing any more
    MfcBadCrc,           // both controllers' replies arrive with a corrupted CRC
    GasBEmpty,           // controller 2 takes set-points but no gas B comes
    BubblerOpenCircuit,  // the bubbler thermistor's wire is broken
    // Faults that come and go, or that the devices' answers hide:
    MfcFlaky,    // a share of the controllers' replies arrive corrupted (Argument: percent)
    PortUnplug,  // the controllers' port vanishes, and is back after Argument seconds
    MfcStale,    // controller 2 answers with a totalizer that no longer moves
};

// The name of a fault on the command line: "relay-silent", "mfc1-silent",
// "mfc2-silent", "mfc-bad-crc", "gas-b-empty", "bubbler-open-circuit",
// "mfc-flaky", "port-unplug", "mfc-stale".
std::string_view RigFaultName(TRigFault fault);
// Every fault, in the order above.
const std::vector<TRigFault>& AllRigFaults();
// What the argument after the seconds means ("PERCENT", "SECONDS"), empty
// for a fault that takes none.
std::string_view RigFaultArgument(TRigFault fault);
// Every fault's form for a usage text: "relay-silent@S, ..., mfc-flaky@S:PERCENT,
// port-unplug@S:SECONDS, mfc-stale@S".
std::string RigFaultForms();

// A fault, when it starts (seconds after the rig was made) and its argument.
struct TScheduledFault {
    TRigFault Fault = TRigFault::RelaySilent;
    double Seconds = 0.0;
    double Argument = 0.0;
};

// Reads "KIND@SECONDS", or "KIND@SECONDS:ARGUMENT" for a fault that takes one
// (numbers plain decimals with a point whatever the locale; SECONDS not
// negative; a PERCENT above 0 and up to 100, SECONDS of an unplug above 0).
// Nothing for any other text.
std::optional<TScheduledFault> ParseScheduledFault(std::string_view text);
