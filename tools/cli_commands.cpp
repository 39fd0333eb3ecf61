#include "cli_commands.h"

#include "cli_mfc.h"
#include "cli_ports.h"
#include "cli_plan.h"

const std::vector<CliCommand>& CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"ports", "ports                                            the serial ports, one a line", RunPortsCommand},
        {"mfc",
         "mfc --port P identify                            identification of controllers 1 and 2\n"
         "  mfc --port P gas-table --address 1|2 --table N   switch a gas table, print its range\n"
         "  mfc --port P setpoint --address 1|2 --flow G    write a set-point in g/min\n"
         "  mfc --port P totalizers [--reset]                totalized grams (zeroed first with --reset)",
         RunMfcCommand},
        {"plan", PlanSynopsis, PlanCommand},
    };
    return commands;
}
