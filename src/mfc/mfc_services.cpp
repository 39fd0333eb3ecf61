#include "mfc_services.h"

#include "clock.h"
#include "mfc_registers.h"
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

} // namespace

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
    const bool ok = IdentifyMFCs(bus).Ok;
    memo("");
    memo(ok ? MfcsOk : MfcsNotIdentified);
    return ok;
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
    read(port.ReadU8(Address, RegisterGasTableInUse)); // read-back; its value is not needed
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
        return "Invalid full-scale flow";
    if (dynamicRange.AsInteger < 1)
        return "Invalid dynamic range";

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

TSerialResponse SetMFCFlow(const MfcBus& bus, std::uint32_t Address, double Flow)
{
    TVoegtlinPort port = ControllerPort(bus);
    TSerialResponse r = port.WriteF32(Address, RegisterSetPoint, static_cast<float>(Flow));
    bus.clock.sleepMs(PauseBetweenFramesMs);
    return r;
}

std::string ResetRetrieveTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB)
{
    TVoegtlinPort port = ControllerPort(bus);
    std::string failure;
    KeepFirstFailure(failure, port.WriteF32(AddressGasA, RegisterTotalizerValue, 0.0f));
    bus.clock.sleepMs(PauseBetweenFramesMs);
    KeepFirstFailure(failure, port.WriteF32(AddressGasB, RegisterTotalizerValue, 0.0f));
    bus.clock.sleepMs(PauseBetweenFramesMs);

    const TSerialResponse a = port.ReadF32(AddressGasA, RegisterTotalizer);
    KeepFirstFailure(failure, a);
    TotalizerA.StartValue = static_cast<double>(a.AsFloat * 1000.0f);
    TotalizerA.StartTime = bus.clock.now();
    TotalizerA.Time = TotalizerA.StartTime;
    bus.clock.sleepMs(PauseBetweenFramesMs);

    const TSerialResponse b = port.ReadF32(AddressGasB, RegisterTotalizer);
    KeepFirstFailure(failure, b);
    TotalizerB.StartValue = static_cast<double>(b.AsFloat * 1000.0f);
    TotalizerB.StartTime = bus.clock.now();
    TotalizerB.Time = TotalizerB.StartTime;
    return failure;
}

std::string ReadTotalizers(const MfcBus& bus, TTotalizer& TotalizerA, TTotalizer& TotalizerB)
{
    TVoegtlinPort port = ControllerPort(bus);
    std::string failure;
    const TSerialResponse a = port.ReadF32(AddressGasA, RegisterTotalizer);
    KeepFirstFailure(failure, a);
    TotalizerA.Value = static_cast<double>(a.AsFloat * 1000.0f);
    TotalizerA.Time = bus.clock.now();
    bus.clock.sleepMs(PauseBetweenTotalizerReadsMs);

    const TSerialResponse b = port.ReadF32(AddressGasB, RegisterTotalizer);
    KeepFirstFailure(failure, b);
    TotalizerB.Value = static_cast<double>(b.AsFloat * 1000.0f);
    TotalizerB.Time = bus.clock.now();
    bus.clock.sleepMs(PauseBetweenTotalizerReadsMs);
    return failure;
}
