#pragma once

#include <string>

// A device's failure in the words of an alarm: "no reply", "corrupted
// reply", "reply of the wrong length", "exception 3 (Illegal Data Value)",
// "answered 85 85", "invalid reading -1 kg", or the port's own failure ("No
// such port: /dev/ttyUSB0", "Port /dev/ttyUSB0 vanished while open", ...).
// The device and the command a status names are left out: the alarm names
// the device itself. A status it does not know is kept whole.
std::string PlainReason(const std::string& status);
