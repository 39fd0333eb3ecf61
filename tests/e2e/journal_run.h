#pragma once

#include "rig_fixture.h"

// The run the journal tests replay: a row stored in Standby, then a wet
// dilution of 150 ppm oxygen with 7300 ppm water (gas A in pulses, gas B
// through the bubbler). Every later tick is one call of RunFor(0.25).
inline void StartWetDilution(RigFixture& f)
{
    f.form.ButtonStop->click();
    f.Tick();
    f.Request(150, 7300);
    f.form.ButtonDilution->click();
}
