#include "equipment_gateway.h"

#include "clock.h"
#include "mfc_registers.h"
#include "relay_commands.h"
#include "time_units.h"

namespace {

constexpr double SignOfLifeSlackSeconds = 0.01;

bool Answered(const TSerialResponse& r)
{
    return r.Status.empty();
}

}  // namespace

const char* DeviceName(TDevice device)
{
    switch (device) {
    case TDevice::RelayBoard: return "Relay board";
    case TDevice::Controller1: return "Flow controller 1";
    case TDevice::Controller2: return "Flow controller 2";
    }
    return "";
}

TDevice ControllerDevice(std::uint32_t Address)
{
    return Address == AddressGasA ? TDevice::Controller1 : TDevice::Controller2;
}

TEquipmentGateway::TEquipmentGateway(SerialLines& lines, Clock& clock, TEquipmentPorts ports)
    : Lines_(lines)
    , Clock_(clock)
    , Ports_(std::move(ports))
{
}

RelayBoard TEquipmentGateway::Board() const
{
    return RelayBoard{Lines_, Clock_, Ports_.Relay ? Ports_.Relay() : std::string()};
}

MfcBus TEquipmentGateway::Controllers() const
{
    return ControllersOn(Ports_.Controllers ? Ports_.Controllers() : std::string());
}

MfcBus TEquipmentGateway::ControllersOn(const std::string& port) const
{
    return MfcBus{Lines_, Clock_, port};
}

TEquipmentGateway::TControllerRecord& TEquipmentGateway::Record(std::uint32_t Address)
{
    return Controllers_[Address == AddressGasA ? 0 : 1];
}

const TEquipmentGateway::TControllerRecord& TEquipmentGateway::Record(std::uint32_t Address) const
{
    return Controllers_[Address == AddressGasA ? 0 : 1];
}

void TEquipmentGateway::Count(TDevice device, const std::string& command, const std::string& status, bool answered)
{
    TDeviceHealth& h = Health_[static_cast<int>(device)];
    if (!status.empty()) {
        if (h.ConsecutiveFailures == 0) {
            h.FailingSince = Clock_.now();
            h.FailingSinceWall = Clock_.wallNow();
        }
        ++h.ConsecutiveFailures;
        h.LastFailure = status;
    } else if (answered) {
        h.ConsecutiveFailures = 0;
        h.LastAnswer = Clock_.now();
    }
    if (OnOutcome)
        OnOutcome(TEquipmentOutcome{device, command, status});
}

void TEquipmentGateway::CountRead(std::uint32_t Address, const char* command, const TSerialResponse& r)
{
    Count(ControllerDevice(Address), command, r.Status, Answered(r));
}

TSerialResponse TEquipmentGateway::SendValves(const std::string& port, std::uint8_t pattern)
{
    if (!port.empty())
        RelayPortsCommanded_.insert(port);
    TSerialResponse r = SendValvePattern(RelayBoard{Lines_, Clock_, port}, pattern);
    Count(TDevice::RelayBoard, "valves", r.Status, Answered(r));
    if (Answered(r)) {
        AcceptedValves_ = pattern;
        if (OnValvesAccepted)
            OnValvesAccepted(pattern);
    }
    return r;
}

TSerialResponse TEquipmentGateway::SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O)
{
    return SetValves(ValvePattern(iV1O, iV2O, iV3O, iV4O, iV5O, iV6O));
}

TSerialResponse TEquipmentGateway::SetValves(std::uint8_t pattern)
{
    return SendValves(Board().port, pattern);
}

TSerialResponse TEquipmentGateway::SetPointOn(const std::string& port, std::uint32_t Address, double Flow, bool pause)
{
    if (!port.empty())
        ControllerPortsCommanded_.insert(port);
    const MfcBus bus = ControllersOn(port);
    TSerialResponse r
        = pause ? ::SetMFCFlow(bus, Address, Flow) : ::WriteSetPoint(bus, Address, static_cast<float>(Flow));
    Count(ControllerDevice(Address), "set-point", r.Status, Answered(r));
    if (r.Status.empty()) {
        TControllerRecord& c = Record(Address);
        const auto sent = static_cast<float>(Flow);
        if (!c.SetPoint || *c.SetPoint != sent)
            c.SetPointSince = Clock_.now();
        c.SetPoint = sent;
    }
    return r;
}

TSerialResponse TEquipmentGateway::SetMFCFlow(std::uint32_t Address, double Flow)
{
    return SetPointOn(Controllers().port, Address, Flow, true);
}

TSerialResponse TEquipmentGateway::WriteSetPoint(std::uint32_t Address, float Flow)
{
    return SetPointOn(Controllers().port, Address, Flow, false);
}

std::optional<float> TEquipmentGateway::SetPoint(std::uint32_t Address) const
{
    return Record(Address).SetPoint;
}

double TEquipmentGateway::SetPointSince(std::uint32_t Address) const
{
    return Record(Address).SetPointSince;
}

void TEquipmentGateway::RecordTotalizer(std::uint32_t Address, const TSerialResponse& r, double grams, double at)
{
    TControllerRecord& c = Record(Address);
    // A failed read leaves the time of the last good one: it was tried now.
    c.LastReadAttempt = Answered(r) ? at : Clock_.now();
    CountRead(Address, "totalizer", r);
    if (!Answered(r))
        return;
    c.History.push_back({at, grams});
    const double oldest = at - HistorySeconds / SecondsPerDay;
    while (c.History.size() > 2 && c.History.front().At < oldest)
        c.History.pop_front();
}

TSerialResponse TEquipmentGateway::ReadTotalizer(std::uint32_t Address, TTotalizer& Totalizer)
{
    TSerialResponse r = ::ReadTotalizer(Controllers(), Address, Totalizer);
    RecordTotalizer(Address, r, Totalizer.Value, Totalizer.Time);
    return r;
}

std::string TEquipmentGateway::ReadTotalizers(TTotalizer& TotalizerA, TTotalizer& TotalizerB)
{
    TControllerStatuses each;
    std::string first = ::ReadTotalizers(Controllers(), TotalizerA, TotalizerB, &each);
    TSerialResponse a;
    a.Status = each.Controller1;
    RecordTotalizer(AddressGasA, a, TotalizerA.Value, TotalizerA.Time);
    TSerialResponse b;
    b.Status = each.Controller2;
    RecordTotalizer(AddressGasB, b, TotalizerB.Value, TotalizerB.Time);
    return first;
}

std::string TEquipmentGateway::ResetRetrieveTotalizers(TTotalizer& TotalizerA, TTotalizer& TotalizerB)
{
    TControllerStatuses each;
    std::string first = ::ResetRetrieveTotalizers(Controllers(), TotalizerA, TotalizerB, &each);
    // The zeroing starts a new history.
    Controllers_[0].History.clear();
    Controllers_[1].History.clear();
    TSerialResponse a;
    a.Status = each.Controller1;
    RecordTotalizer(AddressGasA, a, TotalizerA.StartValue, TotalizerA.StartTime);
    TSerialResponse b;
    b.Status = each.Controller2;
    RecordTotalizer(AddressGasB, b, TotalizerB.StartValue, TotalizerB.StartTime);
    return first;
}

void TEquipmentGateway::SignOfLife()
{
    // A read due within a few milliseconds is made now: four ticks of
    // 250 ms make a second, not five.
    const double due = Clock_.now() - (SignOfLifeSeconds - SignOfLifeSlackSeconds) / SecondsPerDay;
    for (std::uint32_t address : {AddressGasA, AddressGasB}) {
        // A controller that is failing is asked again at once: whether it is
        // lost is known within the second, not a second later.
        if (Record(address).LastReadAttempt <= due || Health(ControllerDevice(address)).Failing()) {
            // Counted from the start of the read, as the ticks are.
            const double started = Clock_.now();
            TTotalizer scratch;
            ReadTotalizer(address, scratch);
            Record(address).LastReadAttempt = started;
        }
    }
}

const std::deque<TTotalizerSample>& TEquipmentGateway::TotalizerHistory(std::uint32_t Address) const
{
    return Record(Address).History;
}

std::optional<double> TEquipmentGateway::MeasuredFlow(std::uint32_t Address, double seconds) const
{
    const std::deque<TTotalizerSample>& h = Record(Address).History;
    if (h.size() < 2)
        return std::nullopt;
    const TTotalizerSample& newest = h.back();
    const double from = newest.At - seconds / SecondsPerDay;
    // The newest reading at least `seconds` before the newest one.
    const TTotalizerSample* start = nullptr;
    for (auto it = h.rbegin(); it != h.rend(); ++it) {
        if (it->At <= from) {
            start = &*it;
            break;
        }
    }
    if (!start)
        return std::nullopt;
    return (newest.Grams - start->Grams) / ((newest.At - start->At) * MinutesPerDay);
}

TBubblerReading TEquipmentGateway::ReadBubbler()
{
    TBubblerReading reading = ::ReadBubbler(Board());
    // A thermistor out of range is the bubbler's fault, not the board's: the
    // board answered.
    const bool answered = reading.Problem.empty() || reading.Problem == ThermistorOutOfRange;
    Count(TDevice::RelayBoard, "bubbler", answered ? std::string() : reading.Problem, answered);
    if (reading.PressureATM) {
        LastBubbler_ = reading;
        LastBubblerAt_ = Clock_.now();
    }
    return reading;
}

TBoardCheck TEquipmentGateway::CheckRelayBoard()
{
    TBoardCheck check = ::CheckRelayBoard(Board());
    Count(TDevice::RelayBoard, "board check", check.Response.Status, Answered(check.Response));
    return check;
}

MfcIdentification TEquipmentGateway::IdentifyMFCs()
{
    MfcIdentification id = ::IdentifyMFCs(Controllers());
    CountRead(AddressGasA, "identification", id.Controller1);
    CountRead(AddressGasB, "identification", id.Controller2);
    return id;
}

std::string TEquipmentGateway::MinMaxFlow(const std::string& Port, std::uint32_t Address, std::uint16_t gasTable,
                                          TFlowInfo& flowInfo, double& PossibleMinFlow, double& PossibleMaxFlow)
{
    std::string failure
        = ::MinMaxFlow(ControllersOn(Port), Address, gasTable, flowInfo, PossibleMinFlow, PossibleMaxFlow);
    // A table refused, or a range that came back but is unusable, was still
    // an answer.
    const bool transport = !failure.empty() && !IsControllerVerdict(failure);
    Count(ControllerDevice(Address), "gas table", transport ? failure : std::string(), !transport);
    return failure;
}

void TEquipmentGateway::MakeSafe(bool relayValidated, bool controllersValidated)
{
    std::set<std::string> relayPorts = RelayPortsCommanded_;
    const std::string relay = Board().port;
    if (relayValidated && !relay.empty())
        relayPorts.insert(relay);
    for (const std::string& port : relayPorts)
        SendValves(port, 0);

    std::set<std::string> controllerPorts = ControllerPortsCommanded_;
    const std::string controllers = Controllers().port;
    if (controllersValidated && !controllers.empty())
        controllerPorts.insert(controllers);
    for (const std::string& port : controllerPorts) {
        SetPointOn(port, AddressGasA, 0.0, true);
        SetPointOn(port, AddressGasB, 0.0, true);
    }
}
