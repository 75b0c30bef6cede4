#ifndef SOURCEFILE_H
#define SOURCEFILE_H

#include <QString>

// Reads a program source file the way the editor's Open command does and
// returns the text the compiler would see. On failure returns false and sets
// `error` to a one-line reason.
bool readSourceFile(const QString &path, QString &text, QString &error);

#endif
