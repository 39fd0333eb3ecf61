#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// dilutra-cli records: the lab's records from the shell.
//
//   records [--file PATH]                      lists them, defaults marked
//   records --source GAS [--fraction P] [--uncertainty P] [--lot L] [--expiry DATE]
//   records --controller SERIAL [--reading-share P] [--full-scale-share P]
//           [--repeatability P] [--calibrated DATE] [--due DATE]
//   records --bubbler [--temperature-accuracy C] [--efficiency P] [--efficiency-uncertainty P]
//   records (--source GAS | --controller SERIAL | --bubbler) --remove
//
// Setting a record confirms it: the figures given replace the record's (or
// the default's), the others stay. Shares are in percent (0.5 for 0.5 %),
// dates year-month-day. Prints the record as set, or the listing. Exit 0
// done, 1 the file cannot be written, 2 bad arguments or a record refused
// (one line on `err` with the reason).
extern const char* const RecordsSynopsis;
int RunRecords(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RecordsCommand(const std::vector<std::string>& args);
