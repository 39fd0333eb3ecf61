#pragma once

#include <QStringList>

#include <cstdint>

// The water request held between what the bubbler can deliver and what the
// water pulses can resolve, for a vapour pressure p (atm) at the bubbler.
struct TWaterLimits {
    std::int32_t W = 0;            // water to use, ppm
    std::int32_t B = 0;            // gas B, ppm: 1000000 - a - W
    QStringList Messages;          // what to tell the operator, in order (usually none)
    bool RaisedToMinimum = false;  // w was raised to the lower limit
};

// Derives gas B as 1000000 - a - w and corrects w:
//  - upper limit: w / b may not exceed p; above it w becomes b * p
//    ("Maximum possible H2O fraction is N");
//  - lower limit: w may not be below b * p / 360; below it w becomes that
//    ("Minimum water content is N ppm");
//  - no room: with water requested and gas B at 0 or below there is no gas
//    to carry water, so w becomes 0 ("Maximum possible H2O fraction is 0").
// A vapour pressure that is negative or not a number counts as 0 (no water
// possible), one above 1 atm as 1 atm. Corrected values are rounded with halves to even.
TWaterLimits ApplyWaterLimits(std::int32_t a, std::int32_t w, double p);
