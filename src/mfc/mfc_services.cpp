#include "mfc_services.h"

#include "clock.h"
#include "mfc_registers.h"
#include "serial_port.h"
#include "voegtlin_port.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr unsigned PauseBetweenFramesMs = 20;
constexpr unsigned PauseAfterTableInUseMs = 150;
constexpr unsigned PauseAfterTableShownMs = 250;
constexpr unsigned PauseBetweenTotalizerReadsMs = 50;

TVoegtlinPort ControllerPort(const MfcBus& bus)
{
    TVoegtlinPort port(bus.lines, bus.clock);
    port.UseControllerLine(bus.port);
    return port;
}

void KeepFirstFailure(std::string& first, const std::string& status)
{
    if (first.empty())
        first = status;
}

void KeepFirstFailure(std::string& first, const TSerialResponse& r)
{
    KeepFirstFailure(first, r.Status);
}

bool IdentifiesAsController(const TSerialResponse& r)
{
    return r.AsString.compare(0, 3, "GSC") == 0;
}

// A flow as a failure names it: three decimals, or three digits where that
// would show a small flow as 0.000.
std::string FlowText(double flow)
{
    char text[32];
    const bool small = flow != 0.0 && std::fabs(flow) < 0.01;
    std::snprintf(text, sizeof text, small ? "%.3g" : "%.3f", flow);
    return text;
}

// A write that was not confirmed names the controller and the command.
TSerialResponse Confirmed(TSerialResponse r, std::uint32_t Address, const std::string& what)
{
    if (!r.Status.empty() && r.Status != StatusInvalidSetPoint)
        r.Status = ControllerFailure(Address, "did not confirm " + what, r.Status);
    return r;
}

}  // namespace

std::string ControllerFailure(std::uint32_t Address, const std::string& what, const std::string& status)
{
    const std::string controller = "Controller " + std::to_string(Address);
    std::string reason = status;
    if (reason.starts_with(controller + " reported "))
        reason = "it" + reason.substr(controller.size());
    return controller + " " + what + ": " + reason;
}

bool IsControllerVerdict(const std::string& status)
{
    return status == StatusInvalidFullScale || status == StatusInvalidDynamicRange
        || status.find(StatusTableNotTaken) != std::string::npos
        || status.find(StatusInvalidReading) != std::string::npos;
}

MfcIdentification IdentifyMFCs(const MfcBus& bus)
{
    TVoegtlinPort port = ControllerPort(bus);
    MfcIdentification id;
    id.Controller1 = port.ReadS8(AddressGasA, RegisterIdentification);
    bus.clock.sleepMs(PauseBetweenFramesMs);
    id.Controller2 = port.ReadS8(AddressGasB, RegisterIdentification);
    bus.clock.sleepMs(PauseBetweenFramesMs);
    id.Ok = IdentifiesAsController(id.Controller1) && IdentifiesAsController(id.Controller2);
    return id;
}

bool ValidateMFC(const MfcBus& bus, const MemoLineSink& memo)
{
    return ReportIdentification(IdentifyMFCs(bus), memo);
}

bool ReportIdentification(const MfcIdentification& identification, const MemoLineSink& memo)
{
    memo("");
    memo(identification.Ok ? MfcsOk : MfcsNotIdentified);
    // A port the system refused: why, and what the operator can do about it.
    for (const TSerialResponse* r : {&identification.Controller1, &identification.Controller2}) {
        if (IsPortRefusal(r->Status)) {
            memo(r->Status);
            break;
        }
    }
    return identification.Ok;
}

std::uint16_t GasTableNumber(int listIndex)
{
    return static_cast<std::uint16_t>(listIndex + 2);
}

std::string MinMaxFlow(const MfcBus& bus, std::uint32_t Address, std::uint16_t gasTable, TFlowInfo& flowInfo,
                       double& PossibleMinFlow, double& PossibleMaxFlow)
{
    TVoegtlinPort port = ControllerPort(bus);
    const std::uint32_t target = Address == AddressGasA ? AddressGasA : AddressGasB;
    const std::string table = "gas table " + std::to_string(gasTable);
    std::string failure;

    KeepFirstFailure(failure, Confirmed(port.WriteU8(target, RegisterGasTableInUse, gasTable), target, table));
    bus.clock.sleepMs(PauseAfterTableInUseMs);
    KeepFirstFailure(failure, Confirmed(port.WriteU8(target, RegisterGasTableShown, gasTable), target, table));
    bus.clock.sleepMs(PauseAfterTableShownMs);

    auto read = [&](TSerialResponse r) {
        if (!r.Status.empty())
            KeepFirstFailure(failure, ControllerFailure(Address, table + " not read", r.Status));
        bus.clock.sleepMs(PauseBetweenFramesMs);
        return r;
    };
    const TSerialResponse inUse = read(port.ReadU8(Address, RegisterGasTableInUse));
    const TSerialResponse name = read(port.ReadS8(Address, RegisterShortName));
    const TSerialResponse longName = read(port.ReadS50(Address, RegisterLongName));
    const TSerialResponse fullScale = read(port.ReadF32(Address, RegisterFullScale));
    const TSerialResponse unit = read(port.ReadS8(Address, RegisterFlowUnit));
    const TSerialResponse dynamicRange = read(port.ReadU16(Address, RegisterDynamicRange));

    if (!failure.empty())
        return failure;
    // A controller that kept its old table shows the old table's range.
    if (inUse.AsInteger != gasTable)
        return ControllerFailure(Address, std::string(StatusTableNotTaken) + " " + std::to_string(gasTable),
                                 "it meters with table " + std::to_string(inUse.AsInteger));
    // The range becomes the flush and bypass set-point and the planner's
    // bounds: a range that is not a positive number is no range, one below
    // the smallest normal float leaves no room for a minimum flow, and none
    // is beyond what a thermal controller meters.
    if (!(fullScale.AsFloat >= LowestFullScaleGramsPerMinute && fullScale.AsFloat <= HighestFullScaleGramsPerMinute))
        return StatusInvalidFullScale;
    if (dynamicRange.AsInteger < 1)
        return StatusInvalidDynamicRange;

    TFlowInfo info;
    info.Name = name.AsString;
    info.LongName = longName.AsString;
    info.FlowUnit = unit.AsString;
    info.Max = fullScale.AsFloat;
    info.Dyn = static_cast<std::uint32_t>(dynamicRange.AsInteger);
    info.Min = static_cast<float>(static_cast<long double>(info.Max) / info.Dyn);

    flowInfo = info;
    PossibleMinFlow = info.Min;
    PossibleMaxFlow = info.Max;
    return {};
}

TSerialResponse WriteSetPoint(const MfcBus& bus, std::uint32_t Address, float Flow)
{
    TVoegtlinPort port = ControllerPort(bus);
    return Confirmed(port.WriteF32(Address, RegisterSetPoint, Flow), Address, "the set-point " + FlowText(Flow));
}

TSerialResponse SetMFCFlow(const MfcBus& bus, std::uint32_t Address, double Flow)
{
    TSerialResponse r = WriteSetPoint(bus, Address, static_cast<float>(Flow));
    bus.clock.sleepMs(PauseBetweenFramesMs);
    return r;
}

TSerialResponse ReadTotalizer(const MfcBus& bus, std::uint32_t Address, TTotalizer& Totalizer)
{
    TVoegtlinPort port = ControllerPort(bus);
    TSerialResponse r = port.ReadF32(Address, RegisterTotalizer);
    const float grams = r.AsFloat * 1000.0f;
    // A totalizer counts up from its zeroing: anything else is no reading.
    if (r.Status.empty() && !(std::isfinite(grams) && grams >= 0.0f)) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %g kg", StatusInvalidReading, static_cast<double>(r.AsFloat));
        r.Status = text;
    }
    if (!r.Status.empty()) {
        r.Status = ControllerFailure(Address, "totalizer not read", r.Status);
        return r;
    }
    Totalizer.Value = static_cast<double>(grams) + 0.0;  // no negative zero
    Totalizer.Time = bus.clock.now();
    return r;
}

std::string ResetRetrieveTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB,
                                    TControllerStatuses* each)
{
    TControllerStatuses statuses;
    std::string failure;
    auto zero = [&](std::uint32_t address, std::string& status) {
        TVoegtlinPort port = ControllerPort(bus);
        const TSerialResponse r
            = Confirmed(port.WriteF32(address, RegisterTotalizerValue, 0.0f), address, "the totalizer zeroing");
        KeepFirstFailure(failure, r);
        KeepFirstFailure(status, r);
        bus.clock.sleepMs(PauseBetweenFramesMs);
    };
    zero(AddressGasA, statuses.Controller1);
    zero(AddressGasB, statuses.Controller2);

    // The start value is read into a scratch record: Value keeps the last
    // reading of the dilution before. The zeroing's time stands also when
    // the reading failed.
    auto start = [&](std::uint32_t address, TTotalizer& t, std::string& status) {
        TTotalizer read;
        read.Value = t.StartValue;
        read.Time = bus.clock.now();
        const TSerialResponse r = ReadTotalizer(bus, address, read);
        KeepFirstFailure(failure, r);
        KeepFirstFailure(status, r);
        t.StartValue = read.Value;
        t.StartTime = read.Time;
        t.Time = read.Time;
    };
    start(AddressGasA, TotalizerA, statuses.Controller1);
    bus.clock.sleepMs(PauseBetweenFramesMs);
    start(AddressGasB, TotalizerB, statuses.Controller2);
    if (each)
        *each = statuses;
    return failure;
}

std::string ReadTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB, TControllerStatuses* each)
{
    TControllerStatuses statuses;
    std::string failure;
    const TSerialResponse a = ReadTotalizer(bus, AddressGasA, TotalizerA);
    KeepFirstFailure(failure, a);
    KeepFirstFailure(statuses.Controller1, a);
    bus.clock.sleepMs(PauseBetweenTotalizerReadsMs);

    const TSerialResponse b = ReadTotalizer(bus, AddressGasB, TotalizerB);
    KeepFirstFailure(failure, b);
    KeepFirstFailure(statuses.Controller2, b);
    bus.clock.sleepMs(PauseBetweenTotalizerReadsMs);
    if (each)
        *each = statuses;
    return failure;
}
