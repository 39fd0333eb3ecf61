#pragma once

#include "planner.h"

#include <ostream>
#include <string>
#include <vector>

class CliCommandLine;

// dilutra-cli plan: the mixture planner from the shell.
//
//   plan --gas-a NAME --gas-b NAME --ppm-a N [--ppm-h2o N]
//        --max-a G --dyn-a N --max-b G --dyn-b N
//        [--unit-a TEXT] [--unit-b TEXT] [--ph2o ATM | --bubbler-temp C]
//
// Derives gas B as the rest of a million, holds the water between its
// limits (each correction goes to `err` as a "note: " line), plans and
// writes the report to `out`, one "\n"-ended line per report line. Numbers
// are read alike in every locale; the report writes them with the process
// locale's decimal separator, as the window does. Returns 0, or 2 after one
// line on `err` for bad input.
int RunPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// RunPlan on standard output and standard error.
int PlanCommand(const std::vector<std::string>& args);

// The mixture and controller options, for every command that plans.
void AddPlanOptions(CliCommandLine& line);
// The planner's request from those options, water limits applied (their
// messages in `notes`). Throws CliError for a missing or wrong value.
TPlanRequest ReadPlanRequest(const CliCommandLine& line, std::vector<std::string>& notes);
