#include "commands.h"

#include "cli/backupcommand.h"
#include "cli/cellscommand.h"
#include "cli/compilecommand.h"
#include "cli/decodecommand.h"
#include "cli/downloadcommand.h"
#include "cli/dumpcommand.h"
#include "cli/portscommand.h"
#include "cli/restorecommand.h"
#include "cli/scancommand.h"
#include "cli/uploadcommand.h"

const QVector<CliCommand> &cliCommands()
{
    static const QVector<CliCommand> commands = {
        compileCommand(),
        dumpCommand(),
        decodeCommand(),
        uploadCommand(),
        downloadCommand(),
        portsCommand(),
        cellsCommand(),
        backupCommand(),
        restoreCommand(),
        scanCommand(),
    };
    return commands;
}
