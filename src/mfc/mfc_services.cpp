#include "mfc_services.h"

#include "clock.h"
#include "mfc_registers.h"
#include "serial_port.h"
#include "voegtlin_port.h"

#include <cmath>
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

void KeepFirstFailure(std::string& first, const TSerialResponse& r)
{
    if (first.empty() && !r.Status.empty())
        first = r.Status;
}

bool IdentifiesAsController(const TSerialResponse& r)
{
    return r.AsString.compare(0, 3, "GSC") == 0;
}

}  // namespace

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
    std::string failure;

    KeepFirstFailure(failure, port.WriteU8(target, RegisterGasTableInUse, gasTable));
    bus.clock.sleepMs(PauseAfterTableInUseMs);
    KeepFirstFailure(failure, port.WriteU8(target, RegisterGasTableShown, gasTable));
    bus.clock.sleepMs(PauseAfterTableShownMs);

    auto read = [&](TSerialResponse r) {
        KeepFirstFailure(failure, r);
        bus.clock.sleepMs(PauseBetweenFramesMs);
        return r;
    };
    read(port.ReadU8(Address, RegisterGasTableInUse));  // read-back; its value is not needed
    const TSerialResponse name = read(port.ReadS8(Address, RegisterShortName));
    const TSerialResponse longName = read(port.ReadS50(Address, RegisterLongName));
    const TSerialResponse fullScale = read(port.ReadF32(Address, RegisterFullScale));
    const TSerialResponse unit = read(port.ReadS8(Address, RegisterFlowUnit));
    const TSerialResponse dynamicRange = read(port.ReadU16(Address, RegisterDynamicRange));

    if (!failure.empty())
        return failure;
    // The range becomes the flush and bypass set-point and the planner's
    // bounds: a range that is not a positive number is no range, and one
    // below the smallest normal float leaves no room for a minimum flow.
    if (!std::isfinite(fullScale.AsFloat) || !(fullScale.AsFloat >= std::numeric_limits<float>::min()))
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
    return port.WriteF32(Address, RegisterSetPoint, Flow);
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
    Totalizer.Value = static_cast<double>(r.AsFloat * 1000.0f);
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
        const TSerialResponse r = port.WriteF32(address, RegisterTotalizerValue, 0.0f);
        KeepFirstFailure(failure, r);
        KeepFirstFailure(status, r);
        bus.clock.sleepMs(PauseBetweenFramesMs);
    };
    zero(AddressGasA, statuses.Controller1);
    zero(AddressGasB, statuses.Controller2);

    // The start value is read into a scratch record: Value keeps the last
    // reading of the dilution before.
    auto start = [&](std::uint32_t address, TTotalizer& t, std::string& status) {
        TTotalizer read;
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
