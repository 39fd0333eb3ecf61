#pragma once

#include <cstdint>
#include <vector>

// The program's only source of time and its only way to wait.
//
// Times are day counts: days since 1899-12-30 00:00, the fraction being the
// time of day. `now()` is used for everything that is stored or subtracted
// (log rows, totalizer times, dilution and water durations); it runs on a
// monotonic clock anchored to the local time at start-up, so a daylight-saving
// change or a clock correction never makes a duration jump. `wallNow()` is the
// local wall-clock time and is used only where a time of day is shown.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic day count (anchored to local time at start).
    virtual double now() const = 0;
    // Local wall-clock day count, for display only.
    virtual double wallNow() const = 0;
    // Blocks the calling thread for `ms` milliseconds: one of the program's
    // own waits.
    virtual void sleepMs(unsigned ms) = 0;
    // Time that a simulated device or line takes (wire time, a reply's
    // latency, the silence that ends a read). The real clock blocks like a
    // sleep; the fake clock moves time on without recording it among the
    // program's waits.
    virtual void deviceWaitMs(double ms) = 0;
};

// The operating system's clock.
class RealClock final : public Clock {
public:
    RealClock();
    double now() const override;
    double wallNow() const override;
    void sleepMs(unsigned ms) override;
    void deviceWaitMs(double ms) override;

private:
    double anchorDays_;
    std::int64_t anchorNs_;
};

// A clock for tests: time stands still until someone sleeps or advances it,
// and a sleep returns at once after moving time forward. Every sleep is
// recorded so tests can assert which waits happened, in which order.
class FakeClock final : public Clock {
public:
    // Starts at 2026-12-09 10:00:00 local unless told otherwise.
    explicit FakeClock(double startDays = 46365.0 + 10.0 / 24.0);

    double now() const override;
    double wallNow() const override;
    void sleepMs(unsigned ms) override;
    // Same as advanceMs: device time is not one of the program's waits.
    void deviceWaitMs(double ms) override { advanceMs(ms); }

    // Moves time forward without recording a sleep (time spent elsewhere).
    void advanceMs(double ms);
    // Shifts the wall clock only, as a daylight-saving change or a clock
    // correction does; `now()` is not affected.
    void shiftWallClockHours(double hours);

    const std::vector<unsigned>& sleeps() const { return sleeps_; }
    void clearSleeps() { sleeps_.clear(); }
    // Sum of all recorded sleeps, in milliseconds.
    std::uint64_t sleptMs() const;

private:
    double startDays_;
    std::int64_t elapsedNs_ = 0;
    double wallOffsetDays_ = 0.0;
    std::vector<unsigned> sleeps_;
};
