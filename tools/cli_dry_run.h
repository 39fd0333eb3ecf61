#pragma once

#include "dry_run.h"

#include <ostream>
#include <string>
#include <vector>

// dilutra-cli dry-run: a dilution on the simulated rig, as fast as the
// processor allows.
//
//   dry-run --gas-a NAME --gas-b NAME --ppm-a N --ppm-h2o N --minutes M
//           [--bubbler-temp C] [--max-a G --dyn-a N --max-b G --dyn-b N]
//           [--log FILE]
//   dry-run --gas-a NAME --gas-b NAME --program FILE [...]
//
// Runs the mixer core on the simulated rig and prints the method, the
// requested and delivered ppm of gas A and of water (from the equipment's
// own record, by mole), the relative errors and the grams of each gas used;
// --log writes the log as the window saves it. With --program, the program
// file's steps run as the window's Start program runs them: one line a
// step and the totals. Exit codes: 0 every delivery within tolerance, 1 not
// (or the run failed), 2 bad arguments or a program file that cannot be
// read.
struct TDryRunCommand {
    TDryRunOptions Options;
    std::string LogPath;  // empty: no log file
    std::string ProgramPath;
    TFlowProgram Program;  // the steps of ProgramPath; empty without one
};

class CliCommandLine;

// Reads the command line; throws std::runtime_error (CliError) for bad
// arguments, also for "--help", whose text it carries.
TDryRunCommand ReadDryRunCommand(const std::vector<std::string>& args);
TDryRunCommand ReadDryRunCommand(const CliCommandLine& line);
// Runs it; water-limit corrections go to `err` as "note: " lines.
int RunDryRun(const TDryRunCommand& command, std::ostream& out, std::ostream& err);
// Both on standard output and standard error.
int DryRunCommand(const std::vector<std::string>& args);

extern const char* const DryRunSynopsis;
