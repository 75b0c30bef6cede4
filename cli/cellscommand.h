#ifndef CELLSCOMMAND_H
#define CELLSCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli cells: the four memory cells at a glance.
CliCommand cellsCommand();

#endif
