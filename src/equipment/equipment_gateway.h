#pragma once

#include "flow_info.h"
#include "mfc_services.h"
#include "relay_board.h"
#include "serial_response.h"
#include "totalizer.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>

class Clock;
class SerialLines;

// The three devices of the rig, as the gateway counts their outcomes.
enum class TDevice { RelayBoard = 0, Controller1 = 1, Controller2 = 2 };
inline constexpr int DeviceCount = 3;

// "Relay board", "Flow controller 1", "Flow controller 2".
const char* DeviceName(TDevice device);
// The device at a controller's bus address (1 or 2).
TDevice ControllerDevice(std::uint32_t Address);

// How a device has been answering. A transaction it answered (a reply
// accepted, a write confirmed) ends a run of failures; every other one adds
// to it.
struct TDeviceHealth {
    int ConsecutiveFailures = 0;
    double FailingSince = 0.0;      // clock day count of the first failure of the run
    double FailingSinceWall = 0.0;  // the same moment on the wall clock, for messages
    std::string LastFailure;        // status of the newest failure
    double LastAnswer = -1.0;       // day count of the newest answer; negative: none yet

    bool Failing() const { return ConsecutiveFailures > 0; }
};

// One totalizer reading as the gateway received it.
struct TTotalizerSample {
    double At = 0.0;     // clock day count
    double Grams = 0.0;  // since the totalizer was zeroed
};

// One outcome as it is reported to the listener.
struct TEquipmentOutcome {
    TDevice Device = TDevice::RelayBoard;
    std::string Command;  // "valves", "set-point", "totalizer", "bubbler", ...
    std::string Status;   // empty on success
};

// Where the equipment is at the moment of each command: the ports the
// operator has selected, read afresh every time.
struct TEquipmentPorts {
    std::function<std::string()> Relay;
    std::function<std::string()> Controllers;
};

// The one way to the rig. Every valve pattern, set-point, totalizer read,
// bubbler read, board check, identification and gas-table switch goes
// through here, on the port selected at that moment; each returns its
// outcome, which is also counted per device.
class TEquipmentGateway {
public:
    // Readings older than this are dropped from the totalizer history.
    static constexpr double HistorySeconds = 60.0;
    // A controller not read for this long is read once as its sign of life.
    static constexpr double SignOfLifeSeconds = 1.0;

    TEquipmentGateway(SerialLines& lines, Clock& clock, TEquipmentPorts ports);

    // Valves. Sends the pattern (1 = open); when the board confirmed it, the
    // pattern is the accepted one and OnValvesAccepted hears of it.
    TSerialResponse SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O);
    // The same with a pattern byte (bit 0 = V1), one of the named patterns.
    TSerialResponse SetValves(std::uint8_t pattern);
    // The last pattern the board accepted (bit 0 = V1), none before the first.
    std::optional<std::uint8_t> AcceptedValves() const { return AcceptedValves_; }

    // Set-points. SetMFCFlow writes and pauses 20 ms; WriteSetPoint only
    // writes (the pulse routines make their own pauses).
    TSerialResponse SetMFCFlow(std::uint32_t Address, double Flow);
    TSerialResponse WriteSetPoint(std::uint32_t Address, float Flow);
    // The set-point a controller last confirmed and since when (day count).
    std::optional<float> SetPoint(std::uint32_t Address) const;
    double SetPointSince(std::uint32_t Address) const;

    // Totalizers: both read into Value and Time (a failed read leaves the
    // last reading), or one; the zeroing with the start values. Return "" or
    // the first failure.
    std::string ReadTotalizers(TTotalizer& TotalizerA, TTotalizer& TotalizerB);
    TSerialResponse ReadTotalizer(std::uint32_t Address, TTotalizer& Totalizer);
    std::string ResetRetrieveTotalizers(TTotalizer& TotalizerA, TTotalizer& TotalizerB);
    // Reads the totalizer of each controller that has not been read for
    // SignOfLifeSeconds, or whose last transaction failed: a state whose own
    // commands only write to a controller still learns whether it answers.
    void SignOfLife();
    // The readings of the last HistorySeconds since the last zeroing.
    const std::deque<TTotalizerSample>& TotalizerHistory(std::uint32_t Address) const;
    // Flow in g/min over the newest `seconds` of readings; none while the
    // readings do not reach that far back.
    std::optional<double> MeasuredFlow(std::uint32_t Address, double seconds) const;

    // The bubbler thermistor through the relay board.
    TBubblerReading ReadBubbler();
    // The newest sound bubbler reading (one with a vapour pressure) and when
    // it was taken (clock day count); none before the first.
    const std::optional<TBubblerReading>& LastBubblerReading() const { return LastBubbler_; }
    double LastBubblerReadingAt() const { return LastBubblerAt_; }

    // Setup: the board check, both identifications, a gas-table switch.
    TBoardCheck CheckRelayBoard();
    MfcIdentification IdentifyMFCs();
    std::string MinMaxFlow(const std::string& Port, std::uint32_t Address, std::uint16_t gasTable, TFlowInfo& flowInfo,
                           double& PossibleMinFlow, double& PossibleMaxFlow);

    // The close duties: all valves closed on every relay-board port
    // commanded in this run (and on the selected one when `relayValidated`),
    // then both set-points zero on every controller port commanded (and the
    // selected one when `controllersValidated`). Results are not examined.
    void MakeSafe(bool relayValidated, bool controllersValidated);

    const TDeviceHealth& Health(TDevice device) const { return Health_[static_cast<int>(device)]; }
    const std::set<std::string>& RelayPortsCommanded() const { return RelayPortsCommanded_; }
    const std::set<std::string>& ControllerPortsCommanded() const { return ControllerPortsCommanded_; }

    // Listeners: the accepted valve pattern, and every outcome.
    std::function<void(std::uint8_t pattern)> OnValvesAccepted;
    std::function<void(const TEquipmentOutcome&)> OnOutcome;

private:
    struct TControllerRecord {
        std::optional<float> SetPoint;
        double SetPointSince = 0.0;
        double LastReadAttempt = -1.0;
        std::deque<TTotalizerSample> History;
    };

    RelayBoard Board() const;
    MfcBus Controllers() const;
    MfcBus ControllersOn(const std::string& port) const;
    TControllerRecord& Record(std::uint32_t Address);
    const TControllerRecord& Record(std::uint32_t Address) const;
    // Counts an outcome: an answer, or a failure.
    void Count(TDevice device, const std::string& command, const std::string& status, bool answered);
    void CountRead(std::uint32_t Address, const char* command, const TSerialResponse& r);
    TSerialResponse SendValves(const std::string& port, std::uint8_t pattern);
    TSerialResponse SetPointOn(const std::string& port, std::uint32_t Address, double Flow, bool pause);
    void RecordTotalizer(std::uint32_t Address, const TSerialResponse& r, double grams, double at);

    SerialLines& Lines_;
    Clock& Clock_;
    TEquipmentPorts Ports_;
    std::array<TDeviceHealth, DeviceCount> Health_;
    std::array<TControllerRecord, 2> Controllers_;
    std::optional<std::uint8_t> AcceptedValves_;
    std::optional<TBubblerReading> LastBubbler_;
    double LastBubblerAt_ = 0.0;
    std::set<std::string> RelayPortsCommanded_;
    std::set<std::string> ControllerPortsCommanded_;
};
