#include "simulated_port.h"

#include "clock.h"
#include "serial_lines.h"
#include "time_units.h"

#include <algorithm>

namespace {

// Day counts near today resolve to about a microsecond; a byte due within
// this much of now has arrived.
constexpr double ArrivalSlackDays = 0.01 / MsPerDay;

}  // namespace

// The program's end: one per transaction, closing the port when dropped.
class SimulatedLine final : public SerialLine {
public:
    explicit SimulatedLine(SimulatedPort& port)
        : Port_(port)
    {
    }
    ~SimulatedLine() override { close(); }

    bool open() override
    {
        if (opened_)
            return false;
        opened_ = Port_.open();
        return opened_;
    }
    SerialOpenFailure openFailure() const override
    {
        return Port_.Unavailable ? Port_.UnavailableBecause : SerialOpenFailure{};
    }
    bool configure(std::int32_t baudRate, std::int32_t parity, std::int32_t stopBits) override
    {
        return opened_ && Port_.configure(baudRate, parity, stopBits);
    }
    void purge() override
    {
        if (opened_)
            Port_.purge();
    }
    bool write(const std::uint8_t* data, std::size_t size) override { return opened_ && Port_.write(data, size); }
    void drain() override
    {
        if (opened_)
            Port_.drain();
    }
    int bytesWaiting() override { return opened_ && !Port_.Unavailable ? Port_.bytesWaiting() : -1; }
    bool read(std::vector<std::uint8_t>& into, std::size_t maxBytes) override
    {
        into.clear();
        return opened_ && Port_.read(into, maxBytes);
    }
    void close() override
    {
        if (opened_)
            Port_.close();
        opened_ = false;
    }
    bool vanished() const override { return opened_ && Port_.Unavailable; }

private:
    SimulatedPort& Port_;
    bool opened_ = false;
};

SimulatedPort::SimulatedPort(DeviceModel& model, Clock& clock)
    : Model_(model)
    , Clock_(clock)
    , configured_(model.framing())
{
}

std::unique_ptr<SerialLine> SimulatedPort::makeLine()
{
    return std::make_unique<SimulatedLine>(*this);
}

bool SimulatedPort::open()
{
    if (BeforeExchange)
        BeforeExchange(Clock_.now());
    if (Unavailable || open_)
        return false;
    open_ = true;
    ++openCount_;
    if (!KeepsBytesWhileClosed)
        DropArrived();
    return true;
}

bool SimulatedPort::configure(std::int32_t baudRate, std::int32_t parity, std::int32_t stopBits)
{
    if (baudRate <= 0 || parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2)
        return false;
    configured_ = SerialFraming{baudRate, parity, stopBits};
    return true;
}

void SimulatedPort::purge()
{
    DropArrived();
}

void SimulatedPort::DropArrived()
{
    const double now = Clock_.now() + ArrivalSlackDays;
    while (!inbound_.empty() && inbound_.front().At <= now)
        inbound_.pop_front();
}

bool SimulatedPort::write(const std::uint8_t* data, std::size_t size)
{
    if (BeforeExchange)
        BeforeExchange(Clock_.now());
    if (WriteFails || Unavailable)
        return false;
    // At another framing the device's UART sees only garbage.
    if (!(configured_ == Model_.framing()) || size == 0) {
        writtenUntil_
            = std::max(writtenUntil_, Clock_.now() + static_cast<double>(size) * ByteTimeMs(configured_) / MsPerDay);
        return true;
    }

    const double byteDays = ByteTimeMs(configured_) / MsPerDay;
    const double atDevice = Clock_.now() + static_cast<double>(size) * byteDays;
    writtenUntil_ = std::max(writtenUntil_, atDevice);
    const DeviceReply reply = Model_.receive(std::vector<std::uint8_t>(data, data + size), atDevice);
    if (reply.Bytes.empty())
        return true;

    // The device's transmitter sends one thing after the other.
    double at = std::max(atDevice + reply.DelayMs / MsPerDay, deviceSendsUntil_);
    for (std::uint8_t b : reply.Bytes) {
        at += byteDays;
        inbound_.push_back({at, b});
    }
    deviceSendsUntil_ = at;
    return true;
}

void SimulatedPort::drain()
{
    const double ms = (writtenUntil_ - Clock_.now()) * MsPerDay;
    if (ms > 0.0)
        Clock_.deviceWaitMs(ms);
}

int SimulatedPort::bytesWaiting() const
{
    const double now = Clock_.now() + ArrivalSlackDays;
    return static_cast<int>(
        std::count_if(inbound_.begin(), inbound_.end(), [&](const TimedByte& b) { return b.At <= now; }));
}

bool SimulatedPort::read(std::vector<std::uint8_t>& into, std::size_t maxBytes)
{
    if (ReadFails || Unavailable)
        return false;
    const double start = Clock_.now();
    const double limit = start + ReadLimitMs / MsPerDay;
    double lastActivity = start;
    auto waitUntil = [this](double t) {
        const double ms = (t - Clock_.now()) * MsPerDay;
        if (ms > 0.0)
            Clock_.deviceWaitMs(ms);
    };
    while (into.size() < maxBytes) {
        const double now = Clock_.now() + ArrivalSlackDays;
        if (!inbound_.empty() && inbound_.front().At <= now) {
            lastActivity = std::max(lastActivity, inbound_.front().At);
            into.push_back(inbound_.front().Byte);
            inbound_.pop_front();
            continue;
        }
        const double endAt = std::min(lastActivity + ReadSilenceMs / MsPerDay, limit);
        if (!inbound_.empty() && inbound_.front().At <= endAt) {
            waitUntil(inbound_.front().At);
            continue;
        }
        waitUntil(endAt);
        break;
    }
    return true;
}

void SimulatedPort::close()
{
    if (!KeepsBytesWhileClosed)
        DropArrived();
    open_ = false;
}

void registerSimulatedPort(SerialLines& lines, const std::string& portName, SimulatedPort& port)
{
    lines.registerLine(portName, [&port] { return port.makeLine(); });
}
