#ifndef TRANSFERTESTHELPERS_H
#define TRANSFERTESTHELPERS_H

#include <QString>
#include <QStringList>
#include <QVector>

#include "emulator/devicememory.h"
#include "lang/instructionrecord.h"

// Shared by the transfer tests: programs, and the emulator's state file.
namespace TransferTest {

// The three-record program used throughout.
extern const QString threeRecordSource;
// The worked example: a header, then six records.
extern const QString exampleSource;

// Compiles a source; fails the calling test (empty result) if it does not.
QVector<InstructionRecord> compiled(const QString &source);
// n records "Us = i;" for i from 0.
QString countingSource(int n);

// Puts records and name (five bytes, as stored) into a cell of memory.
void putCell(DeviceMemory &memory, int cell, const QVector<InstructionRecord> &records, const QByteArray &name);
// Writes an emulator state file whose cell holds records and name; the
// other cells are empty.
bool writeCell(const QString &path, int cell, const QVector<InstructionRecord> &records,
               const QByteArray &name);
bool writeState(const QString &path, const DeviceMemory &memory);
// The emulator's state file (empty when it cannot be read).
DeviceMemory readState(const QString &path);

} // namespace TransferTest

#endif
