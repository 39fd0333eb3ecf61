#pragma once

#include "clock.h"
#include "form1.h"
#include "recording_dialogs.h"

// A main window on the fake clock with recording dialogs.
struct FormFixture {
    FakeClock clock;
    RecordingDialogs dialogs;
    TForm1 form{TFormServices{clock, dialogs}};
};
