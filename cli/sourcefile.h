#ifndef SOURCEFILE_H
#define SOURCEFILE_H

#include <QString>

#include "lang/compileresult.h"

// Reads a program source file the way the editor's Open command does and
// returns the text the compiler would see. On failure it says why on
// standard error ("quillmar-cli COMMAND: ...") and returns false.
bool readSourceFile(const char *command, const QString &path, QString &text);

// Compiles source text with the language's own tables, as the window does.
CompileResult compileSource(const QString &text);

#endif
