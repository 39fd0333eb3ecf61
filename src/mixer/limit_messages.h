#pragma once

#include "water_limits.h"

#include <QStringList>

#include <cstdint>

// What the operator is told when the water limits corrected a request for
// a ppm of gas A and w ppm of water at a vapour pressure p (atm): the field
// that changed, its new value and why ("Water: at 150 ppm of gas A the
// bubbler can give no less than 73 ppm"). Nothing when nothing changed.
QStringList OperatorLimitMessages(std::int32_t a, std::int32_t w, double p, const TWaterLimits& limits);
