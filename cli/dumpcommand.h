#ifndef DUMPCOMMAND_H
#define DUMPCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli dump FILE: the device image of every compiled record.
CliCommand dumpCommand();

#endif
