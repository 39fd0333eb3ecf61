#include "pulse_ledger.h"
#include "time_units.h"

#include <gtest/gtest.h>

// What is on its way is what was asked for and not counted yet: never below
// nothing, and never more than the last seconds' pulses, so that a
// controller that delivers less than it is asked for falls behind in the
// count rather than stop the dosing for good.
TEST(PulseLedger, WhatIsOnItsWayIsAskedForButNotCountedWithinTheLastSeconds)
{
    const double t0 = 46365.0;
    auto at = [t0](double seconds) { return t0 + DaysFromSeconds(seconds); };
    TPulseLedger ledger;
    ledger.Opened(at(0), 0.06f);  // g/min: a milligram a second
    ledger.Closed(at(1));
    ledger.Opened(at(10), 0.06f);
    struct Case {
        double seconds, counted, onItsWay;
    };
    const Case cases[] = {
        {1.0, 0.0, 0.001},      // the first pulse, none of it counted yet
        {1.5, 0.0004, 0.0006},  // partly counted
        {2.0, 0.0012, 0.0},     // the controller gave more than asked
        {5.0, 0.0005, 0.0},     // long ago: what was not counted did not come
        {11.0, 0.001, 0.001},   // the second pulse, still on, a second of it
        {14.0, 0.0011, 0.002},  // on for four seconds: only the last two count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_NEAR(ledger.OnItsWay(at(c.seconds), c.counted), c.onItsWay, 1e-9);
    }
    EXPECT_NEAR(ledger.Asked(at(14)), 0.005, 1e-9);
}
