#ifndef NUMBERLIST_H
#define NUMBERLIST_H

#include <QString>
#include <QVector>

// "1,2,4": every number from low to high, none twice; false otherwise.
bool parseNumberList(const QString &text, int low, int high, QVector<int> &numbers);
// "A-B" (or one number "A"): A to B inclusive, A <= B, both from low to high.
bool parseNumberRange(const QString &text, int low, int high, QVector<int> &numbers);

#endif
