// dilutra-cli: the mixer's planner and equipment diagnostics from the shell.
#include "cli_arguments.h"
#include "cli_commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Usage(std::FILE* to)
{
    std::fprintf(to, "usage: dilutra-cli COMMAND [OPTIONS]\n\ncommands:\n");
    for (const CliCommand& c : CliCommands())
        std::fprintf(to, "  %s\n", c.Synopsis);
    std::fprintf(to,
                 "\n'dilutra-cli COMMAND --help' describes a command's options.\n"
                 "Exit codes: 0 done, 1 a device failed, 2 bad arguments.\n");
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        Usage(stderr);
        return ExitBadArguments;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        Usage(stdout);
        return ExitDone;
    }
    for (const CliCommand& c : CliCommands()) {
        if (name == c.Name)
            return c.Run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "dilutra-cli: unknown command '%s'\n", name.c_str());
    Usage(stderr);
    return ExitBadArguments;
}
