#ifndef TRANSFERTESTHELPERS_H
#define TRANSFERTESTHELPERS_H

#include <QString>
#include <QStringList>
#include <QVector>

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

// Writes an emulator state file whose cell holds records and name (five
// bytes, as stored); the other cells are empty.
bool writeCell(const QString &path, int cell, const QVector<InstructionRecord> &records,
               const QByteArray &name);
// One cell of a state file: its count, name and the images of its records.
struct StoredCell { int count = -1; QByteArray name; QVector<QByteArray> images; };
StoredCell readCell(const QString &path, int cell);

} // namespace TransferTest

#endif
