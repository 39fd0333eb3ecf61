#pragma once

#include "scpi_commands.h"
#include "scpi_errors.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One command as the parser understood it, its parameters checked against
// the command tree (their number and kind; the ranges are the command's).
struct TScpiCommand {
    TScpiCommandId Id = TScpiCommandId::Idn;
    bool Query = false;
    bool Changes = false;         // the setting form acts on the rig or the log
    std::vector<double> Numbers;  // 'N' and 'B' parameters, in order (a boolean as 0 or 1)
    int Choice = -1;              // a 'C' parameter: its position among the choices
    std::string Text;             // an 'S' parameter, its quotes undone
    std::string Source;           // the command as sent, for the Debug page
};

// What one command of a line came to: the command, or the error that ended
// the line there.
struct TScpiParsed {
    std::optional<TScpiCommand> Command;
    TScpiError Error;
};

// Parses one line (without its line end) into its commands, in order.
// Commands are separated by ';'; headers are matched without regard to case
// in their short or long form, an optional node may be left out, and a
// header that does not start with ':' is looked for first below the path of
// the command before it on the line, then from the root. Numbers are read
// with a decimal point whatever the locale. The first error ends the line:
// it is the last item, and the commands after it are not looked at. Any
// bytes are safe; the result depends on nothing but `line`.
std::vector<TScpiParsed> ParseScpiLine(std::string_view line);
