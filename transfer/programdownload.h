#ifndef PROGRAMDOWNLOAD_H
#define PROGRAMDOWNLOAD_H

#include <QStringList>
#include <functional>

#include "lang/languagetables.h"
#include "transfer/paneline.h"
#include "transfer/transfertarget.h"

class DeviceLink;

enum class DownloadResult {
    Decoded,      // "Данные успешно считаны и декодированы"
    SizeFailed,   // the record count could not be read
    Empty,        // the cell holds no program
    BadCount,     // the stored count is above the cell's capacity
    NameFailed,   // the name could not be read
    LineFailed,   // a record could not be read
    DecodeFailed, // the records do not decode (a reference or a label)
};

// Receives the decoded source lines (header, empty line, one statement per
// record) before the final success line is reported; the window puts them
// into the editor there.
using SourceLines = std::function<void(const QStringList &lines)>;

// Reads the program stored in a memory cell: the count, the name, every
// record, then decodes them. The first line reported is the pane's new
// first line ("Чтение данных из устройства"). On any failure nothing is
// delivered.
DownloadResult downloadProgram(DeviceLink &link, const TransferTarget &target,
                               const CodeTable &operandCodes, const CodeTable &comparisonCodes,
                               const PaneLine &paneLine, const SourceLines &sourceLines);

#endif
