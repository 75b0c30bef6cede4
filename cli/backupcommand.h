#ifndef BACKUPCOMMAND_H
#define BACKUPCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli backup: save the device's memory cells into a file.
CliCommand backupCommand();

#endif
