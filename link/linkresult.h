#ifndef LINKRESULT_H
#define LINKRESULT_H

#include <QtGlobal>

// Outcome of every device transaction and command.
enum class LinkResult : quint8 {
    NoReply = 1,  // no complete reply frame within the time limit
    Ok = 2,       // a reply arrived and passed every check
    BadReply = 3, // a reply arrived but failed a check, or a write was not acknowledged
};

#endif
