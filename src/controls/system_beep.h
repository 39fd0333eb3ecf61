#pragma once

#include <functional>

// The system beep the entry fields sound for a rejected keystroke, for Enter
// and for a corrected value. It goes through a replaceable beeper so that a
// test can count beeps instead of hearing them.
using TBeeper = std::function<void()>;

// Sounds the beep through the installed beeper (the desktop's beep unless
// another one is installed).
void SystemBeep();

// Installs `beeper` for the whole process and returns the one installed
// before; an empty beeper restores the desktop's beep.
TBeeper SetBeeper(TBeeper beeper);
