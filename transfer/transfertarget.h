#ifndef TRANSFERTARGET_H
#define TRANSFERTARGET_H

#include <QtGlobal>

// Where a transfer goes: the device's slave address and the memory cell
// (0 to 3; the window shows them as 1 to 4). Read once when a transfer
// begins, so changing the controls meanwhile does not redirect it.
struct TransferTarget
{
    quint8 address = 0;
    int cell = 0;
};

#endif
