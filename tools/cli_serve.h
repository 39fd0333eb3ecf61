#pragma once

#include "serve.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// dilutra-cli serve: the rig without a window, driven by SCPI commands over
// TCP (docs/remote.md).
//
//   serve (--relay-port P --mfc-port P | --simulate [--simulate-fault KIND@SECONDS ...])
//         --gas-a NAME --gas-b NAME [--listen ADDR:PORT]
//
// Exit codes: 0 stopped by a signal, 1 the rig could not be set up or the
// address not listened on, 2 bad arguments.
// Reads the command line into `options`. Returns the exit code when the
// command is over: its help printed on `out` (0), or bad arguments, one line
// on `err` saying why (2).
std::optional<int> ReadServeCommand(const std::vector<std::string>& args, TServeOptions& options, std::ostream& out,
                                    std::ostream& err);
int ServeCommand(const std::vector<std::string>& args);

extern const char* const ServeSynopsis;
