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
};

// The name of a fault on the command line: "relay-silent", "mfc1-silent",
// "mfc2-silent", "mfc-bad-crc", "gas-b-empty", "bubbler-open-circuit".
std::string_view RigFaultName(TRigFault fault);
// Every fault, in the order above.
const std::vector<TRigFault>& AllRigFaults();

// A fault and when it starts, in seconds after the rig was made.
struct TScheduledFault {
    TRigFault Fault = TRigFault::RelaySilent;
    double Seconds = 0.0;
};

// Reads "KIND@SECONDS" (SECONDS a plain decimal number, not negative, with a
// point whatever the locale). Nothing for any other text.
std::optional<TScheduledFault> ParseScheduledFault(std::string_view text);
