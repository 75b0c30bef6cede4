#ifndef PORTSCOMMAND_H
#define PORTSCOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli ports: the serial ports present, one per line.
CliCommand portsCommand();

#endif
