#ifndef COMPILEERROR_H
#define COMPILEERROR_H

#include <QString>

// One error of a compile run: the 1-based source line it belongs to and the
// text it shows in the output pane.
struct CompileError
{
    int line = 0;
    QString message;
};

#endif
