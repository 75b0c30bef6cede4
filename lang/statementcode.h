#ifndef STATEMENTCODE_H
#define STATEMENTCODE_H

#include <QtGlobal>

// The statement kinds of the control language; the value is the `func`
// byte of a compiled record. PrgName never becomes a record.
enum StatementCode : quint8 {
    Nop = 0,
    Assign = 1,
    If = 2,
    Jmp = 3,
    DelayMs = 4,
    DelayS = 5,
    AddAssign = 6,
    SubAssign = 7,
    DivAssign = 8,
    MulAssign = 9,
    Label = 10,
    PrgName = 11,
};

#endif
