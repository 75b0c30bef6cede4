#ifndef CLICOMMAND_H
#define CLICOMMAND_H

#include <QString>
#include <QStringList>

// One command of quillmar-cli. `run` receives the arguments after the
// command name (never "--help": the dispatcher answers that from `usage`).
struct CliCommand
{
    const char *name;
    const char *summary;  // one line for the tool's own help
    const char *usage;    // the command's help text, lines ended by "\n"
    int (*run)(const QStringList &arguments);
};

#endif
