#include "cli_ports.h"

#include "cli_arguments.h"
#include "serial_port.h"
#include "system_serial_lines.h"

#include <iostream>

int RunPorts(const std::vector<std::string>& args, const SerialLines& lines, std::ostream& out, std::ostream& err)
{
    CliCommandLine line("ports", "Lists the serial ports the program offers, one \"port: NAME\" a line.");
    if (const auto exit = line.Parse(args, out, err))
        return *exit;
    if (!line.Positional().empty())
        return line.Refuse(err, "takes no arguments");
    for (const std::string& name : GetExistingCommPorts(lines))
        out << "port: " << name << '\n';
    return ExitDone;
}

int RunPortsCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    return RunPorts(args, lines, std::cout, std::cerr);
}
