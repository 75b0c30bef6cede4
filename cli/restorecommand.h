#ifndef RESTORECOMMAND_H
#define RESTORECOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli restore: write a saved copy back into one or more devices.
CliCommand restoreCommand();

#endif
