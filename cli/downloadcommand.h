#ifndef DOWNLOADCOMMAND_H
#define DOWNLOADCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli download: read a memory cell back as program source.
CliCommand downloadCommand();

#endif
