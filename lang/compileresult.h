#ifndef COMPILERESULT_H
#define COMPILERESULT_H

#include <QString>
#include <QStringList>
#include <QVector>

#include "lang/compileerror.h"
#include "lang/instructionrecord.h"

// Everything one compile run produces.
struct CompileResult
{
    // The output pane's text: its lines joined by line feeds (no line holds
    // one), in one string because a long program has a million of them.
    QString paneText;
    // Per pane line, the 1-based source line it came from (0 for the
    // header, the empty line and "OK").
    QVector<int> paneSourceLines;

    // After label resolution when the label pass ran; otherwise as far as
    // the run got. recordSourceLines holds the 1-based line of each record.
    QVector<InstructionRecord> records;
    QVector<int> recordSourceLines;

    // A program-name line was compiled in this run. The window keeps the
    // name of an earlier run when this is false.
    bool nameSet = false;
    QString programName;

    bool failed = true;
    QVector<CompileError> errors;

    QStringList paneLines() const { return paneText.split(QLatin1Char('\n')); }
};

#endif
