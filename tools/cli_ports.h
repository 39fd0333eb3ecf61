#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class SerialLines;

// dilutra-cli ports: one "port: NAME" line per port the program would offer.
int RunPorts(const std::vector<std::string>& args, const SerialLines& lines, std::ostream& out, std::ostream& err);
// The same on the system's ports, to standard output.
int RunPortsCommand(const std::vector<std::string>& args);
