#pragma once

#include "planner.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// Why a plan is not deliverable with its controllers, in one line ("gas A in
// pulses of 0.000 032 g averages within 1 ppm only after 15.2 min, 10 min at
// most"); empty for a deliverable plan. Numbers use the locale's decimal
// separator, as the plan report's.
QString UndeliverableReason(const TPlanResult& plan);

// "13 to 1000000 ppm", or "none" when `lowest` is above `highest`.
QString PossibleRange(std::int32_t lowest, std::int32_t highest);

// "Not deliverable with these controllers: " and the reason, for a refused
// Dilution or program step.
QString NotDeliverableMessage(const TPlanResult& plan);

// The block the plan report ends with when the plan is not deliverable: the
// reason, the smallest pulse, the averaging time and what these controllers
// deliver instead. Nothing for a deliverable plan.
QStringList FeasibilityLines(const TPlanResult& plan);
