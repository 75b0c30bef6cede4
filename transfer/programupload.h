#ifndef PROGRAMUPLOAD_H
#define PROGRAMUPLOAD_H

#include <QString>
#include <QVector>

#include "lang/instructionrecord.h"
#include "transfer/paneline.h"
#include "transfer/transfertarget.h"

class DeviceLink;

enum class UploadResult {
    Stored,         // "Данные успешно записаны"
    NothingToSend,  // no records; nothing sent
    TooLong,        // more records than a cell holds; nothing sent
    NameNotLatin1,  // the name cannot be stored as it is; nothing sent
    RecordFailed,   // a record was not acknowledged
    SizeFailed,     // the record count was not acknowledged
    NameFailed,     // the name was not acknowledged
};

// Records a memory cell holds; the download refuses a longer program.
constexpr int CellCapacity = 100;

// Writes a compiled program into a memory cell: every record in order, then
// the count, then the name. The first line reported is the pane's new first
// line ("Запись данных в устройство"). The records and name are taken by
// value: whatever happens to the caller's copies meanwhile, exactly these
// are sent.
UploadResult uploadProgram(DeviceLink &link, QVector<InstructionRecord> records, QString name,
                           const TransferTarget &target, const PaneLine &paneLine);

#endif
