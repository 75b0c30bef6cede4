#ifndef COMPILECOMMAND_H
#define COMPILECOMMAND_H

#include "cli/clicommand.h"

// quillmar-cli compile FILE: the output pane on stdout, one line per error
// on stderr.
CliCommand compileCommand();

#endif
