#ifndef STOREDCELL_H
#define STOREDCELL_H

#include <QByteArray>
#include <QString>
#include <QVector>

// A memory cell exactly as the device holds it: the name's five stored
// characters and every record image, whether or not the records decode.
// The record count is the number of images.
struct StoredCell
{
    int cell = 0;                 // 0 to 3 (shown as 1 to 4)
    QString name;                 // five Latin-1 characters, trailing spaces kept
    QVector<QByteArray> records;  // 14-byte images, in record order
};

#endif
