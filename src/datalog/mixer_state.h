#pragma once

#include <string>

// The mixer's state. The value names are also the Mode texts of the log.
enum class TMixerState { Unknown, Standby, Flushing, Dilution, Bypass };

// "Unknown", "Standby", "Flushing", "Dilution" or "Bypass".
const char* MixerStateName(TMixerState state);
