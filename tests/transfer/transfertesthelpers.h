#ifndef TRANSFERTESTHELPERS_H
#define TRANSFERTESTHELPERS_H

#include <QFile>
#include <QString>
#include <QVector>

#include "emulator/devicememory.h"
#include "lang/compiler.h"

// Shared by the transfer tests: programs, and the emulator's state file.
namespace TransferTest {

// The three-record program used throughout.
const QString threeRecordSource = QStringLiteral("prgName = \"Prg1\";\n#1;\nUs = 5;\njmp #1;\n");
// The worked example: a header, then six records.
const QString exampleSource = QStringLiteral(
    "prgName = \"Test\";\n\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;");

// The records of a source; none if it does not compile.
inline QVector<InstructionRecord> compiled(const QString &source)
{
    const CompileResult result =
        Compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes()).compile(source);
    return result.failed ? QVector<InstructionRecord>() : result.records;
}

// n records "Us = i;" for i from 0.
inline QString countingSource(int n)
{
    QString source = QStringLiteral("prgName = \"Many\";\n");
    for (int i = 0; i < n; ++i)
        source += QStringLiteral("Us = %1;\n").arg(i);
    return source;
}

// Puts records and name (five bytes, as stored) into a cell of memory.
inline void putCell(DeviceMemory &memory, int cell, const QVector<InstructionRecord> &records, const QByteArray &name)
{
    for (int i = 0; i < records.size(); ++i)
        memory.setRecord(cell, i, records.at(i).toImage());
    memory.setCount(cell, records.size());
    memory.setName(cell, name);
}

inline bool writeState(const QString &path, const DeviceMemory &memory)
{
    QFile file(path);
    const QByteArray bytes = memory.toBytes();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Writes an emulator state file whose cell holds records and name; the
// other cells are empty.
inline bool writeCell(const QString &path, int cell, const QVector<InstructionRecord> &records, const QByteArray &name)
{
    DeviceMemory memory;
    putCell(memory, cell, records, name);
    return writeState(path, memory);
}

// The emulator's state file (empty when it cannot be read).
inline DeviceMemory readState(const QString &path)
{
    DeviceMemory memory;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        memory.fromBytes(file.readAll(), nullptr);
    return memory;
}

} // namespace TransferTest

#endif
