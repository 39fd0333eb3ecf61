#include "clock.h"

#include "day_count.h"
#include "time_units.h"

#include <QDateTime>

#include <chrono>
#include <numeric>
#include <thread>

namespace {

std::int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RealClock::RealClock()
    : anchorDays_(DateTimeToDayCount(QDateTime::currentDateTime()))
    , anchorNs_(SteadyNs())
{
}

double RealClock::now() const
{
    return anchorDays_ + static_cast<double>(SteadyNs() - anchorNs_) / NsPerDay;
}

double RealClock::wallNow() const
{
    return DateTimeToDayCount(QDateTime::currentDateTime());
}

void RealClock::sleepMs(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClock::deviceWaitMs(double ms)
{
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(ms * 1000.0)));
}

FakeClock::FakeClock(double startDays)
    : startDays_(startDays)
{
}

double FakeClock::now() const
{
    return startDays_ + static_cast<double>(elapsedNs_) / NsPerDay;
}

double FakeClock::wallNow() const
{
    return now() + wallOffsetDays_;
}

void FakeClock::sleepMs(unsigned ms)
{
    sleeps_.push_back(ms);
    elapsedNs_ += static_cast<std::int64_t>(ms) * 1000000;
}

void FakeClock::advanceMs(double ms)
{
    elapsedNs_ += static_cast<std::int64_t>(ms * 1.0e6);
}

void FakeClock::shiftWallClockHours(double hours)
{
    wallOffsetDays_ += hours / 24.0;
}

std::uint64_t FakeClock::sleptMs() const
{
    return std::accumulate(sleeps_.begin(), sleeps_.end(), std::uint64_t{0});
}
