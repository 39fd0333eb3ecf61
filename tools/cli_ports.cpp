#include "cli_ports.h"

#include "serial_port.h"
#include "system_serial_lines.h"

#include <iostream>

int RunPorts(const std::vector<std::string>& args, const SerialLines& lines, std::ostream& out, std::ostream& err)
{
    if (!args.empty()) {
        err << "dilutra-cli ports: takes no arguments\n";
        return 2;
    }
    for (const std::string& name : GetExistingCommPorts(lines))
        out << "port: " << name << '\n';
    return 0;
}

int RunPortsCommand(const std::vector<std::string>& args)
{
    SystemSerialLines lines;
    return RunPorts(args, lines, std::cout, std::cerr);
}
