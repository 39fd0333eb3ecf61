#pragma once

#include "flow_info.h"

#include <algorithm>

// A gas planned below its controller's minimum goes in pulses: the
// set-point opens to PulseFlow (g/min, the same in every plan and for every
// gas, unless the controller's minimum is higher: then that minimum), is
// held PulseLengthMs and drops to 0 again.
inline constexpr float PulseFlow = 0.015f;
inline constexpr unsigned PulseLengthMs = 100;

// A pulse lasts at the controller from the write that opens it to the write
// that closes it: PulseLengthMs and one set-point exchange (13 bytes out and
// 8 back at 9600 bit/s with two stop bits, 24 ms, and the controller's turn).
inline constexpr double SetPointExchangeMs = 26.0;

// A delivered concentration is within tolerance when it is off by no more
// than 1 % of the request or 1 ppm, whichever is larger.
inline constexpr double DeliveryRelativeTolerance = 0.01;
inline constexpr double DeliveryAbsoluteTolerancePpm = 1.0;

// A plan whose pulses need longer than this to average within tolerance is
// not deliverable with its controllers.
inline constexpr double LongestAveragingMinutes = 10.0;
// Dosed in pulses, a gas keeps within half a pulse of its plan, and the
// difference is spread evenly over that range as time goes on. The mixture
// averages within tolerance once it is within tolerance at this share of
// the moments (19 in 20): once this share of half a pulse is no more than
// the tolerance.
inline constexpr double AveragingConfidence = 0.95;

// The set-point of a pulse of the gas metered by `fi`.
inline float PulseSetPointOf(const TFlowInfo& fi)
{
    return std::max(PulseFlow, fi.Min);
}

// The grams of the smallest pulse at `setPoint` (g/min).
inline double SmallestPulseGrams(float setPoint)
{
    return setPoint * (PulseLengthMs + SetPointExchangeMs) / 60000.0;
}

// The tolerance of `ppm` as a share of it (1 % or 1 ppm, whichever is
// larger); 0 for no ppm.
inline double ToleranceShare(double ppm)
{
    return ppm > 0 ? std::max(DeliveryRelativeTolerance, DeliveryAbsoluteTolerancePpm / ppm) : 0.0;
}
