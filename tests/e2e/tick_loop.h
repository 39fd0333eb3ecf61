#pragma once

#include "clock.h"
#include "time_units.h"

#include <functional>

// Ticks for `seconds` of fake-clock time as Timer1 would deliver them: every
// 250 ms, or at once when a tick took longer. `afterTick` runs after each.
inline void RunTicks(FakeClock& clock, const std::function<void()>& tick, double seconds,
                     const std::function<void()>& afterTick = {})
{
    const double end = clock.now() + seconds / SecondsPerDay;
    while (clock.now() < end) {
        const double start = clock.now();
        tick();
        if (afterTick)
            afterTick();
        const double tookMs = (clock.now() - start) * MsPerDay;
        if (tookMs < 250.0)
            clock.advanceMs(250.0 - tookMs);
    }
}
