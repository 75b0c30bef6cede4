#ifndef ARGUMENTERROR_H
#define ARGUMENTERROR_H

#include <QString>

// Reports wrong arguments of `command` on stderr and returns the usage exit
// status.
int argumentError(const char *command, const QString &reason);

#endif
