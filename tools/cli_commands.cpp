#include "cli_commands.h"

#include "cli_plan.h"

const std::vector<CliCommand>& CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"plan", PlanSynopsis, PlanCommand},
    };
    return commands;
}
