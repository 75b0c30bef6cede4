#include "transfertesthelpers.h"

#include <QFile>

#include "lang/compiler.h"

namespace TransferTest {

const QString threeRecordSource =
    QStringLiteral("prgName = \"Prg1\";\n#1;\nUs = 5;\njmp #1;\n");
const QString exampleSource = QStringLiteral(
    "prgName = \"Test\";\n\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;");

QVector<InstructionRecord> compiled(const QString &source)
{
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    const CompileResult result = compiler.compile(source);
    return result.failed ? QVector<InstructionRecord>() : result.records;
}

QString countingSource(int n)
{
    QString source = QStringLiteral("prgName = \"Many\";\n");
    for (int i = 0; i < n; ++i)
        source += QStringLiteral("Us = %1;\n").arg(i);
    return source;
}

void putCell(DeviceMemory &memory, int cell, const QVector<InstructionRecord> &records, const QByteArray &name)
{
    for (int i = 0; i < records.size(); ++i)
        memory.setRecord(cell, i, records.at(i).toImage());
    memory.setCount(cell, records.size());
    memory.setName(cell, name);
}

bool writeCell(const QString &path, int cell, const QVector<InstructionRecord> &records,
               const QByteArray &name)
{
    DeviceMemory memory;
    putCell(memory, cell, records, name);
    return writeState(path, memory);
}

bool writeState(const QString &path, const DeviceMemory &memory)
{
    QFile file(path);
    const QByteArray bytes = memory.toBytes();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

DeviceMemory readState(const QString &path)
{
    DeviceMemory memory;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        memory.fromBytes(file.readAll(), nullptr);
    return memory;
}

} // namespace TransferTest
