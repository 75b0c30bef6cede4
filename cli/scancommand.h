#ifndef SCANCOMMAND_H
#define SCANCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli scan: find the devices that answer, on every port and address.
CliCommand scanCommand();

#endif
