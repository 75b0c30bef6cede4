#ifndef COMPILERESULT_H
#define COMPILERESULT_H

#include <QStringList>
#include <QVector>

#include "lang/compileerror.h"
#include "lang/instructionrecord.h"

// Everything one compile run produces. The pane lines are the output pane's
// text in order; paneSourceLines gives, per pane line, the 1-based source
// line it came from (0 for the header, the empty line and "OK").
struct CompileResult
{
    QStringList paneLines;
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
};

#endif
