#ifndef DECODECOMMAND_H
#define DECODECOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli decode HEXFILE [--name NAME]: record images back to source.
CliCommand decodeCommand();

#endif
