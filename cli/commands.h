#ifndef COMMANDS_H
#define COMMANDS_H

#include <QVector>

#include "cli/clicommand.h"

// Every command the tool knows, in the order its help lists them. A new
// command is one more row here and its own source file.
const QVector<CliCommand> &cliCommands();

#endif
