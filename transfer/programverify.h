#ifndef PROGRAMVERIFY_H
#define PROGRAMVERIFY_H

#include <QString>
#include <QVector>

#include "lang/instructionrecord.h"
#include "transfer/paneline.h"
#include "transfer/transfertarget.h"

class DeviceLink;

// Reads back the count, the name and every record of a memory cell and
// compares them with what an upload sent. Reports "Проверка пройдена", or
// each difference (the count, the name, each record that differs) or the
// read that failed; true only when everything matches.
bool verifyProgram(DeviceLink &link, const QVector<InstructionRecord> &records,
                   const QString &name, const TransferTarget &target, const PaneLine &paneLine);

#endif
