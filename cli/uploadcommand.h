#ifndef UPLOADCOMMAND_H
#define UPLOADCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli upload: compile a file and store it in a memory cell.
CliCommand uploadCommand();

#endif
