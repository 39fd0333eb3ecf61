#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// dilutra-cli export JOURNAL [--output FILE]: the journal as a tidy CSV for
// analysis tools (ISO timestamps, plain numbers with a point, one header
// line, the plan markers as rows of their own), on standard output or into
// a new FILE. Exit codes: 0 done, 1 the journal cannot be read or is none,
// or the file cannot be written, 2 bad arguments.
int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ExportCommand(const std::vector<std::string>& args);
