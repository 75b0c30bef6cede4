#include "commands.h"

#include "cli/compilecommand.h"
#include "cli/decodecommand.h"
#include "cli/dumpcommand.h"

const QVector<CliCommand> &cliCommands()
{
    static const QVector<CliCommand> commands = {
        compileCommand(),
        dumpCommand(),
        decodeCommand(),
    };
    return commands;
}
