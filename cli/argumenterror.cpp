#include "argumenterror.h"

#include "cli/exitcode.h"
#include "cli/outputstream.h"

int argumentError(const char *command, const QString &reason)
{
    OutputStream err(stderr);
    err.writeLine(QStringLiteral("quillmar-cli %1: %2").arg(QString::fromLatin1(command), reason));
    err.writeLine(QStringLiteral("Try 'quillmar-cli %1 --help'.").arg(QString::fromLatin1(command)));
    return ExitUsage;
}
