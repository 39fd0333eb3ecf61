#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class Clock;
class SerialLines;

// dilutra-cli relay --port P check            "board: OK" or "board: NOT OK" and the reply
//             relay --port P valves B1..B6    six 0/1 digits, V1 first (110010 opens V1, V2, V5)
//             relay --port P temperature      dac, volt, ohm, temperature_c, ph2o_atm
// Runs the relay-board operations the window runs and prints "name: value"
// lines. Exit 0 done, 1 the board failed or gave no sound reading (the reason
// on `err`), 2 bad arguments.
int RunRelay(const std::vector<std::string>& args, SerialLines& lines, Clock& clock, std::ostream& out,
             std::ostream& err);
// The same on the system's ports and the real clock.
int RunRelayCommand(const std::vector<std::string>& args);
