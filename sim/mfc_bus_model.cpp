#include "mfc_bus_model.h"

#include "rtu_frames.h"
#include "time_units.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace {

constexpr std::uint16_t RegFlow = 0;
constexpr std::uint16_t RegTotalizer = 4;
constexpr std::uint16_t RegSetPoint = 6;
constexpr std::uint16_t RegIdentification = 35;
constexpr std::uint16_t RegTableInUse = 16697;
constexpr std::uint16_t RegTableShown = 24575;
constexpr std::uint16_t RegFullScale = 24608;
constexpr std::uint16_t RegLongName = 24610;
constexpr std::uint16_t RegShortName = 24642;
constexpr std::uint16_t RegUnit = 24646;
constexpr std::uint16_t RegDynamicRange = 24866;
constexpr std::uint16_t RegTotalizerSet = 25472;

constexpr std::uint8_t IllegalFunction = 1;
constexpr std::uint8_t IllegalAddress = 2;
constexpr std::uint8_t IllegalValue = 3;

// Word `index` (0 or 1) of a float, most significant half first.
std::uint16_t FloatWord(float value, int index)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return static_cast<std::uint16_t>(index == 0 ? bits >> 16 : bits & 0xFFFF);
}

// Word `index` of a text of `registers` registers, padded with `pad`.
std::uint16_t TextWord(const std::string& text, int index, char pad)
{
    auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(i < text.size() ? text[i] : pad); };
    const auto i = static_cast<std::size_t>(index) * 2;
    return static_cast<std::uint16_t>(at(i) << 8 | at(i + 1));
}

bool In(std::uint16_t reg, std::uint16_t first, int registers)
{
    return reg >= first && reg < first + registers;
}

}  // namespace

MfcBusModel::MfcBusModel()
{
    Controller a;
    a.Address = 1;
    a.Identification = "GSC10417";
    a.Tables = {
        {1, "Air", "Air", "g/min", 0.3f, 50, 28.965},
        {2, "O2", "Oxygen", "g/min", 0.25f, 50, 31.999},
        {3, "5%H2Ar", "5% Hydrogen in Argon", "g/min", 0.3f, 50, 38.051},
    };
    Controller b;
    b.Address = 2;
    b.Identification = "GSC10418";
    b.Tables = {
        {1, "Air", "Air", "g/min", 5.0f, 50, 28.965},
        {2, "Ar", "Argon", "g/min", 6.0f, 50, 39.948},
        {3, "N2", "Nitrogen", "g/min", 4.0f, 50, 28.013},
    };
    controllers_ = {a, b};
}

MfcFaults& MfcBusModel::faults(int address)
{
    return At(address).Faults;
}

void MfcBusModel::clearFaults()
{
    for (Controller& c : controllers_)
        c.Faults = MfcFaults{};
}

void MfcBusModel::clearRecords()
{
    frames_.clear();
    setPoints_.clear();
}

MfcBusModel::Controller* MfcBusModel::Find(int address)
{
    for (Controller& c : controllers_) {
        if (c.Address == address)
            return &c;
    }
    return nullptr;
}

const MfcBusModel::Controller* MfcBusModel::Find(int address) const
{
    return const_cast<MfcBusModel*>(this)->Find(address);
}

MfcBusModel::Controller& MfcBusModel::At(int address)
{
    Controller* c = Find(address);
    if (!c)
        throw std::out_of_range("no controller at that address");
    return *c;
}

const MfcBusModel::Controller& MfcBusModel::At(int address) const
{
    return const_cast<MfcBusModel*>(this)->At(address);
}

const std::string& MfcBusModel::identification(int address) const
{
    return At(address).Identification;
}

float MfcBusModel::setPoint(int address) const
{
    return At(address).SetPoint;
}

std::uint16_t MfcBusModel::gasTableInUse(int address) const
{
    return At(address).TableInUse;
}

std::uint16_t MfcBusModel::gasTableShown(int address) const
{
    return At(address).TableShown;
}

const MfcGasTable* MfcBusModel::gasTable(int address, std::uint16_t number) const
{
    for (const MfcGasTable& t : At(address).Tables) {
        if (t.Number == number)
            return &t;
    }
    return nullptr;
}

void MfcBusModel::setGasTable(int address, const MfcGasTable& table)
{
    Controller& c = At(address);
    auto found = std::find_if(c.Tables.begin(), c.Tables.end(),
                              [&](const MfcGasTable& t) { return t.Number == table.Number; });
    if (found != c.Tables.end())
        *found = table;
    else
        c.Tables.push_back(table);
}

double MfcBusModel::flow(int address, double at)
{
    Controller& c = At(address);
    Advance(c, at);
    return c.Flow * ReadingFactor(c, ErrorPeriod(at));
}

double MfcBusModel::totalizerKg(int address, double at)
{
    Controller& c = At(address);
    Advance(c, at);
    return c.TotalKg;
}

double MfcBusModel::deliveredGrams(int address, double at)
{
    Controller& c = At(address);
    Advance(c, at);
    return c.DeliveredGrams;
}

const MfcGasTable* MfcBusModel::tableInUse(int address) const
{
    return gasTable(address, At(address).TableInUse);
}

std::int64_t MfcBusModel::ErrorPeriod(double at) const
{
    if (!(Response.ErrorSeconds > 0.0))
        return 0;
    return static_cast<std::int64_t>(std::floor(at * SecondsPerDay / Response.ErrorSeconds));
}

namespace {

// A number in [0, 1) that depends only on `x` (splitmix64).
double Uniform(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) * 0x1.0p-53;
}

}  // namespace

// 1 + the error of reading in one period: uniform over +-ReadingError, from
// a hash of the seed, the controller and the period.
double MfcBusModel::ReadingFactor(const Controller& c, std::int64_t period) const
{
    const double uniform
        = Uniform(Response.Seed ^ (static_cast<std::uint64_t>(c.Address) << 56) ^ static_cast<std::uint64_t>(period));
    return 1.0 + Response.ReadingError * (2.0 * uniform - 1.0);
}

// Moves the controller's flow and totalizer on to `at`: the flow approaches
// the set-point (held between 0 and the full scale, and 0 below the
// minimum) exponentially; what is delivered is that curve times the error
// of reading of each period, and the totalizer gains its exact integral.
void MfcBusModel::Advance(Controller& c, double at)
{
    if (c.Updated < 0.0) {
        c.Updated = at;
        return;
    }
    if (at <= c.Updated)
        return;
    const MfcGasTable* table = gasTable(c.Address, c.TableInUse);
    const float fullScale = table ? table->FullScale : 0.0f;
    double target = std::clamp(static_cast<double>(c.SetPoint), 0.0, static_cast<double>(fullScale));
    if (Response.LowFlowCutOff && table && table->DynamicRange > 0) {
        // The minimum as the controller states it: full scale / dynamic range, a float.
        const auto minimum = static_cast<float>(static_cast<long double>(fullScale) / table->DynamicRange);
        if (c.SetPoint < minimum)
            target = 0.0;
    }
    // An empty cylinder or a closed line: the valve opens, nothing flows.
    if (c.Faults.NoGas)
        target = 0.0;
    const double tau = Response.LagSeconds / 60.0;
    double from = c.Updated;
    while (from < at) {
        // Up to the end of the error period `from` lies in.
        const std::int64_t period = ErrorPeriod(from);
        const double periodEnd = Response.ErrorSeconds > 0.0
            ? static_cast<double>(period + 1) * Response.ErrorSeconds / SecondsPerDay
            : at;
        const double to = std::min(at, std::max(periodEnd, std::nextafter(from, at)));
        const double minutes = (to - from) * MinutesPerDay;
        const double decay = tau > 0.0 ? std::exp(-minutes / tau) : 0.0;
        const double grams = (target * minutes + (c.Flow - target) * tau * (1.0 - decay)) * ReadingFactor(c, period);
        c.TotalKg += grams / 1000.0;
        const double offset = target > 0.0 ? c.Faults.CalibrationOffset * minutes : 0.0;
        c.DeliveredGrams += std::max(0.0, grams * (1.0 + c.Faults.CalibrationShare) + offset);
        c.Flow = target + (c.Flow - target) * decay;
        from = to;
    }
    c.Updated = at;
}

DeviceReply MfcBusModel::receive(const std::vector<std::uint8_t>& bytes, double at)
{
    DeviceReply reply;
    if (bytes.empty())
        return reply;
    // A silence of more than 3.5 characters ends a frame: what was pending
    // is a fragment and is dropped.
    const double byteDays = ByteTimeMs(framing()) / MsPerDay;
    const double firstAt = at - static_cast<double>(bytes.size() - 1) * byteDays;
    if (!pending_.empty() && firstAt - pendingAt_ > 4.5 * byteDays)
        pending_.clear();
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    pendingAt_ = at;

    for (;;) {
        int length = RtuRequestLength(pending_);
        if (length == 0)
            break;
        if (length < 0)
            length = static_cast<int>(pending_.size());
        if (pending_.size() < static_cast<std::size_t>(length))
            break;
        std::vector<std::uint8_t> frame(pending_.begin(), pending_.begin() + length);
        pending_.erase(pending_.begin(), pending_.begin() + length);

        const bool crcOk = RtuCrcMatches(frame);
        if (KeepRecords)
            frames_.push_back({at, frame, crcOk});
        if (!crcOk)
            continue;  // a corrupted frame is ignored, as on any Modbus bus

        if (frame[0] == 0) {  // broadcast: carried out, never answered
            for (Controller& c : controllers_) {
                if (!c.Faults.Silent)
                    Serve(c, frame, at);
            }
            continue;
        }
        Controller* c = Find(frame[0]);
        if (!c || c->Faults.Silent)
            continue;
        std::vector<std::uint8_t> out = c->Faults.ExceptionCode
            ? RtuExceptionReply(frame[0], frame[1], c->Faults.ExceptionCode)
            : Serve(*c, frame, at);
        if (c->Faults.ReplyAddress) {
            out[0] = c->Faults.ReplyAddress;
            out.resize(out.size() - 2);
            AppendRtuCrc(out);
        }
        if (c->Faults.BadCrc)
            out.back() ^= 0x5A;
        // A flaky line garbles one bit of one byte of the chosen replies,
        // chosen by the seed and the count of replies alone.
        const double draw = Uniform(Response.Seed ^ (0xF1A4ULL << 40) ^ replies_++);
        if (draw * 100.0 < c->Faults.CorruptPercent && !out.empty()) {
            const double share = draw * 100.0 / c->Faults.CorruptPercent;  // [0, 1) again
            const auto index = static_cast<std::size_t>(share * static_cast<double>(out.size()));
            out[std::min(index, out.size() - 1)] ^= static_cast<std::uint8_t>(1u << (replies_ % 8));
            ++garbled_;
        }
        if (c->Faults.LengthChange > 0)
            out.insert(out.end(), static_cast<std::size_t>(c->Faults.LengthChange), 0x00);
        else if (c->Faults.LengthChange < 0)
            out.resize(out.size() - std::min<std::size_t>(out.size(), -c->Faults.LengthChange));
        reply.Bytes.insert(reply.Bytes.end(), out.begin(), out.end());
        reply.DelayMs = c->Faults.ReplyDelayMs;
    }
    return reply;
}

std::vector<std::uint8_t> MfcBusModel::Serve(Controller& c, const std::vector<std::uint8_t>& request, double at)
{
    const std::uint8_t address = request[0];
    const std::uint8_t function = request[1];
    switch (function) {
    case 3: {
        const std::uint16_t first = RtuWord(request, 2);
        const std::uint16_t count = RtuWord(request, 4);
        if (count < 1 || count > 125)
            return RtuExceptionReply(address, function, IllegalValue);
        std::vector<std::uint8_t> out{address, function, static_cast<std::uint8_t>(2 * count)};
        for (int i = 0; i < count; ++i) {
            const int reg = first + i;
            const auto value = reg > 0xFFFF ? std::nullopt : ReadRegister(c, static_cast<std::uint16_t>(reg), at);
            if (!value)
                return RtuExceptionReply(address, function, IllegalAddress);
            out.push_back(static_cast<std::uint8_t>(*value >> 8));
            out.push_back(static_cast<std::uint8_t>(*value & 0xFF));
        }
        AppendRtuCrc(out);
        return out;
    }
    case 6: {
        const std::uint8_t code = WriteSingle(c, RtuWord(request, 2), RtuWord(request, 4), at);
        if (code)
            return RtuExceptionReply(address, function, code);
        return request;  // the echo of the request
    }
    case 16: {
        const std::uint16_t reg = RtuWord(request, 2);
        const std::uint16_t count = RtuWord(request, 4);
        if (request[6] != 2 * count || count < 1)
            return RtuExceptionReply(address, function, IllegalValue);
        if (count != 2)
            return RtuExceptionReply(address, function, IllegalAddress);
        const auto bits = static_cast<std::uint32_t>(RtuWord(request, 7)) << 16 | RtuWord(request, 9);
        const std::uint8_t code = WriteFloat(c, reg, std::bit_cast<float>(bits), at);
        if (code)
            return RtuExceptionReply(address, function, code);
        std::vector<std::uint8_t> out(request.begin(), request.begin() + 6);
        AppendRtuCrc(out);
        return out;
    }
    default: return RtuExceptionReply(address, function, IllegalFunction);
    }
}

std::optional<std::uint16_t> MfcBusModel::ReadRegister(Controller& c, std::uint16_t reg, double at)
{
    const MfcGasTable* shown = nullptr;
    for (const MfcGasTable& t : c.Tables) {
        if (t.Number == c.TableShown)
            shown = &t;
    }
    if (In(reg, RegFlow, 2))
        return FloatWord(static_cast<float>(flow(c.Address, at)), reg - RegFlow);
    if (In(reg, RegTotalizer, 2) || In(reg, RegTotalizerSet, 2)) {
        Advance(c, at);
        const std::uint16_t base = In(reg, RegTotalizer, 2) ? RegTotalizer : RegTotalizerSet;
        return FloatWord(c.Faults.TotalizerKg.value_or(static_cast<float>(c.TotalKg)), reg - base);
    }
    if (In(reg, RegSetPoint, 2))
        return FloatWord(c.SetPoint, reg - RegSetPoint);
    if (In(reg, RegIdentification, 4))
        return TextWord(c.Faults.Identification.value_or(c.Identification), reg - RegIdentification, ' ');
    if (reg == RegTableInUse)
        return c.TableInUse;
    if (reg == RegTableShown)
        return c.TableShown;
    if (!shown)
        return std::nullopt;
    if (In(reg, RegFullScale, 2))
        return FloatWord(shown->FullScale, reg - RegFullScale);
    if (In(reg, RegLongName, 25))
        return TextWord(shown->LongName, reg - RegLongName, '\0');
    if (In(reg, RegShortName, 4))
        return TextWord(shown->Name, reg - RegShortName, ' ');
    if (In(reg, RegUnit, 4))
        return TextWord(shown->Unit, reg - RegUnit, ' ');
    if (reg == RegDynamicRange)
        return c.Faults.DynamicRangeZero ? std::uint16_t{0} : shown->DynamicRange;
    return std::nullopt;
}

std::uint8_t MfcBusModel::WriteSingle(Controller& c, std::uint16_t reg, std::uint16_t value, double at)
{
    const bool known
        = std::any_of(c.Tables.begin(), c.Tables.end(), [&](const MfcGasTable& t) { return t.Number == value; });
    if (reg == RegTableInUse) {
        if (!known)
            return IllegalValue;
        Advance(c, at);
        if (!c.Faults.KeepsGasTable)
            c.TableInUse = value;
        return 0;
    }
    if (reg == RegTableShown) {
        if (!known)
            return IllegalValue;
        if (!c.Faults.KeepsGasTable)
            c.TableShown = value;
        return 0;
    }
    return IllegalAddress;
}

std::uint8_t MfcBusModel::WriteFloat(Controller& c, std::uint16_t reg, float value, double at)
{
    const bool valid = std::isfinite(value) && value >= 0.0f;
    if (reg == RegSetPoint) {
        if (KeepRecords)
            setPoints_.push_back({at, c.Address, value, valid});
        if (!valid)
            return IllegalValue;
        Advance(c, at);
        c.SetPoint = value;
        return 0;
    }
    if (reg == RegTotalizerSet) {
        if (!valid)
            return IllegalValue;
        Advance(c, at);
        c.TotalKg = value;
        return 0;
    }
    return IllegalAddress;
}
