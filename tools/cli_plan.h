#pragma once

#include <ostream>
#include <string>
#include <vector>

// dilutra-cli plan: the mixture planner from the shell.
//
//   plan --gas-a NAME --gas-b NAME --ppm-a N [--ppm-h2o N]
//        --max-a G --dyn-a N --max-b G --dyn-b N
//        [--unit-a TEXT] [--unit-b TEXT] [--ph2o ATM | --bubbler-temp C]
//
// Derives gas B as the rest of a million, holds the water between its
// limits (each correction goes to `err` as a "note: " line), plans and
// writes the report to `out`, one "\n"-ended line per report line. Numbers
// are read and written in the process locale. Returns 0, or 2 after one
// line on `err` for bad input.
int RunPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// RunPlan on standard output and standard error.
int PlanCommand(const std::vector<std::string>& args);

extern const char* const PlanSynopsis;
