#pragma once

#include <string>
#include <vector>

// One subcommand of dilutra-cli: its name, a one-line synopsis and the
// function that runs it with the arguments after the name ("COMMAND --help"
// prints its options). Exit codes (cli_arguments.h): 0 done, 1 a device
// failed or a result is not within tolerance, 2 bad arguments.
struct CliCommand {
    const char* Name;
    const char* Synopsis;
    int (*Run)(const std::vector<std::string>& args);
};

// Every subcommand, in the order the usage text lists them.
const std::vector<CliCommand>& CliCommands();
