#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class Clock;
class SerialLines;

// dilutra-cli mfc --port P identify
//             mfc --port P gas-table --address 1|2 --table N
//             mfc --port P setpoint --address 1|2 --flow G
//             mfc --port P totalizers [--reset]
// Runs the controller services the window runs and prints what was read, one
// "name: value" a line. Exit 0 done, 1 a transaction failed (its status on
// `err`), 2 bad arguments.
int RunMfc(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out,
           std::ostream& err);
// The same on the system's ports and the real clock.
int RunMfcCommand(const std::vector<std::string>& args);
