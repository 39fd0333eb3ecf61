#pragma once

#include <string>
#include <vector>

// One subcommand of dilutra-cli: its name, a one-line synopsis and the
// function that runs it with the arguments after the name. Exit codes: 0 done,
// 1 a device transaction failed, 2 bad arguments or input.
struct CliCommand {
    const char* Name;
    const char* Synopsis;
    int (*Run)(const std::vector<std::string>& args);
};

// Every subcommand, in the order the usage text lists them.
const std::vector<CliCommand>& CliCommands();
