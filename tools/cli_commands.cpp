#include "cli_commands.h"

#include "cli_dry_run.h"
#include "cli_export.h"
#include "cli_mfc.h"
#include "cli_plan.h"
#include "cli_ports.h"
#include "cli_records.h"
#include "cli_relay.h"
#include "cli_serve.h"

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
        {"plan",
         "plan --gas-a NAME --gas-b NAME --ppm-a N [--ppm-h2o N] --max-a G --dyn-a N --max-b G --dyn-b N\n"
         "       [--unit-a TEXT] [--unit-b TEXT] [--ph2o ATM | --bubbler-temp C]   plan a mixture, print the report",
         PlanCommand},
        {"dry-run", DryRunSynopsis, DryRunCommand},
        {"export",
         "export JOURNAL [--output FILE]                   a journal as a tidy CSV (ISO times, plain numbers)",
         ExportCommand},
        {"serve", ServeSynopsis, ServeCommand},
        {"records", RecordsSynopsis, RecordsCommand},
        {"relay",
         "relay --port P check                             board check: \"board: OK\" or \"board: NOT OK\"\n"
         "  relay --port P valves B1..B6                     set the six valves, V1 first (110010)\n"
         "  relay --port P temperature                       bubbler reading: dac, volt, ohm, temperature_c, ph2o_atm",
         RunRelayCommand},
    };
    return commands;
}
