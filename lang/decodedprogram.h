#ifndef DECODEDPROGRAM_H
#define DECODEDPROGRAM_H

#include <QString>
#include <QStringList>

// What the record decoder gives back: either the source lines (header, an
// empty line, one statement per record) or exactly one message.
struct DecodedProgram
{
    bool ok = false;
    QStringList lines;
    QString message;
};

#endif
