#pragma once

#include "flow_info.h"
#include "serial_response.h"
#include "totalizer.h"

#include <cstdint>
#include <functional>
#include <string>

class Clock;
class SerialLines;

// Where the flow controllers are: the lines, the clock and the name of the
// port both controllers share. Every service opens its own register layer
// on it, with the controllers' line settings.
struct MfcBus {
    SerialLines& lines;
    Clock& clock;
    std::string port;
};

// Receives the lines a service reports to the operator, one at a time.
using MemoLineSink = std::function<void(const std::string& line)>;

inline constexpr const char* MfcsOk = "MFCs are OK";
inline constexpr const char* MfcsNotIdentified = "One of more MFC failed to be identified";

// Both identification reads (register 35 of controllers 1 and 2, 20 ms after
// each); `Ok` when both texts begin with "GSC".
struct MfcIdentification {
    TSerialResponse Controller1;
    TSerialResponse Controller2;
    bool Ok = false;
};
MfcIdentification IdentifyMFCs(const MfcBus& bus);

// Identifies both controllers and reports an empty line and the verdict,
// then, when the system refused the port (permission, another program),
// that status.
// Returns whether both identified (the "MFC control is OK" mark).
bool ValidateMFC(const MfcBus& bus, const MemoLineSink& memo);
// The report of an identification made elsewhere: the same lines and verdict.
bool ReportIdentification(const MfcIdentification& identification, const MemoLineSink& memo);

// The gas table for a gas list position (from 0; -1 when nothing is
// selected): position + 2, so the lists' first entries are table 2.
std::uint16_t GasTableNumber(int listIndex);

// A controller's failure, naming it and what it failed at: "Controller 2
// did not confirm the set-point 0.000: No result to read". An exception it
// reported is "it reported exception 3 (Illegal Data Value)" there.
std::string ControllerFailure(std::uint32_t Address, const std::string& what, const std::string& status);

// Switches controller `Address` (writes go to controller 1 when `Address` is
// 1, else to 2) to gas table `gasTable`, reads back the table it meters with
// and the table's names and range, and on success stores them in
// `flowInfo` and the controller's range in `PossibleMinFlow` and
// `PossibleMaxFlow`. Fails, leaving all three as they were, unless both
// writes were confirmed, every read succeeded, the controller meters with
// the table asked for ("Controller 1 did not take gas table 3: it meters
// with table 2"), the full scale lies between LowestFullScaleGramsPerMinute
// and HighestFullScaleGramsPerMinute ("Invalid full-scale flow" otherwise)
// and the dynamic range is at least 1. Returns "" on success, else the
// reason.
std::string MinMaxFlow(const MfcBus& bus, std::uint32_t Address, std::uint16_t gasTable, TFlowInfo& flowInfo,
                       double& PossibleMinFlow, double& PossibleMaxFlow);

// MinMaxFlow's verdicts on a controller that answered but whose table
// cannot be used.
inline constexpr const char* StatusInvalidFullScale = "Invalid full-scale flow";
inline constexpr const char* StatusInvalidDynamicRange = "Invalid dynamic range";
inline constexpr const char* StatusTableNotTaken = "did not take gas table";
// A totalizer reading that cannot be right (not finite, negative): refused
// as an invalid reply.
inline constexpr const char* StatusInvalidReading = "invalid reading";
// Whether a failure is the controller's verdict on a command it answered
// (a table not taken, a range or reading that cannot be used) rather than
// a failed exchange.
bool IsControllerVerdict(const std::string& status);

// Writes the set-point (g/min, as a 32-bit float) of controller `Address`,
// then pauses 20 ms. A set-point that is negative or not finite is refused
// ("Invalid set-point") and nothing is sent; one the controller did not
// confirm fails as "Controller 2 did not confirm the set-point 0.000: ...".
TSerialResponse SetMFCFlow(const MfcBus& bus, std::uint32_t Address, double Flow);
// The same write without the pause, for pulses that time themselves.
TSerialResponse WriteSetPoint(const MfcBus& bus, std::uint32_t Address, float Flow);

// The statuses of an operation on both controllers, each "" when all of
// that controller's frames succeeded.
struct TControllerStatuses {
    std::string Controller1;
    std::string Controller2;
};

// Zeroes both totalizers, then reads each back as its start value (grams);
// the time of that reading is StartTime and Time (a failed read leaves the
// start value as it was). Value is left alone. Returns "" when every frame
// succeeded, else the first failure; `each`, when given, receives each
// controller's status.
std::string ResetRetrieveTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB,
                                    TControllerStatuses* each = nullptr);

// Reads both totalizers into Value (grams) and Time, 50 ms after each. A
// failed read leaves that totalizer's last reading in place. Returns "" when
// both reads succeeded, else the first failure; `each`, when given,
// receives each controller's status.
std::string ReadTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB,
                           TControllerStatuses* each = nullptr);

// One totalizer read of controller `Address`: grams (the register's kg
// times 1000) into Value, the time into Time. A failed read, or a reading
// that cannot be right (not finite, negative), leaves both as they were and
// fails as "Controller 1 totalizer not read: ...". No pause.
TSerialResponse ReadTotalizer(const MfcBus& bus, std::uint32_t Address, TTotalizer& Totalizer);
