#include "cli_commands.h"

const std::vector<CliCommand>& CliCommands()
{
    static const std::vector<CliCommand> commands = {
    };
    return commands;
}
