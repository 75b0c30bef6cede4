#include "devicecells.h"

#include <QStringList>

#include <algorithm>

#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"
#include "transfer/programupload.h"

namespace {

const QString stoppedText = QStringLiteral("прервано");

// After a request: false (with the reason) when the caller wants to stop.
bool carryOn(const RequestDone &requestDone, QString &error)
{
    if (!requestDone || requestDone())
        return true;
    error = stoppedText;
    return false;
}

} // namespace

bool readCellSummary(DeviceLink &link, quint8 address, int cell, CellSummary &summary,
                     QString &error)
{
    if (link.readProgramSize(address, summary.count, cell, ReadFunction) != LinkResult::Ok) {
        error = QStringLiteral("ошибка чтения size");
        return false;
    }
    summary.name.clear();
    if (link.readProgramName(address, summary.name, cell, ReadFunction) != LinkResult::Ok) {
        error = QStringLiteral("ошибка чтения prgName");
        return false;
    }
    return true;
}

bool readStoredCell(DeviceLink &link, quint8 address, int cell, StoredCell &stored,
                    QString &error, const RequestDone &requestDone)
{
    stored = StoredCell();
    stored.cell = cell;
    int count = 0;
    if (link.readProgramSize(address, count, cell, ReadFunction) != LinkResult::Ok) {
        error = QStringLiteral("ошибка чтения size");
        return false;
    }
    if (!carryOn(requestDone, error))
        return false;
    // A copy must be writable back, and no cell holds more.
    if (count > CellCapacity) {
        error = QStringLiteral("некорректное кол-во строк %1").arg(count);
        return false;
    }
    if (link.readProgramName(address, stored.name, cell, ReadFunction) != LinkResult::Ok) {
        error = QStringLiteral("ошибка чтения prgName");
        return false;
    }
    if (!carryOn(requestDone, error))
        return false;
    stored.records.reserve(count);
    for (int j = 0; j < count; ++j) {
        InstructionRecord record;
        if (link.readProgramLine(address, record, j, cell, ReadFunction) != LinkResult::Ok) {
            error = QStringLiteral("ошибка чтения строки %1").arg(j);
            return false;
        }
        // Every bit of the 14 bytes survives the unpacking, so this is the
        // image exactly as stored.
        stored.records.append(record.toImage());
        if (!carryOn(requestDone, error))
            return false;
    }
    return true;
}

bool writeStoredCell(DeviceLink &link, quint8 address, const StoredCell &stored, QString &error,
                     const RequestDone &requestDone)
{
    const int cell = stored.cell;
    for (int i = 0; i < stored.records.size(); ++i) {
        const InstructionRecord record = InstructionRecord::fromImage(stored.records.at(i));
        if (link.writeProgramLine(address, record, i, cell, WriteFunction) != LinkResult::Ok) {
            error = QStringLiteral("ошибка записи строки %1").arg(i);
            return false;
        }
        if (!carryOn(requestDone, error))
            return false;
    }
    if (link.writeProgramSize(address, stored.records.size(), cell, WriteFunction)
        != LinkResult::Ok) {
        error = QStringLiteral("ошибка записи size");
        return false;
    }
    if (!carryOn(requestDone, error))
        return false;
    if (link.writeProgramName(address, stored.name, cell, WriteFunction) != LinkResult::Ok) {
        error = QStringLiteral("ошибка записи prgName");
        return false;
    }
    return carryOn(requestDone, error);
}

QString cellDifferences(const StoredCell &expected, const StoredCell &actual)
{
    QStringList differences;
    if (actual.records.size() != expected.records.size())
        differences.append(QStringLiteral("кол-во строк %1 вместо %2")
                               .arg(actual.records.size())
                               .arg(expected.records.size()));
    // As the bytes of the cell: the device keeps a short name padded.
    if (encodeProgramName(actual.name) != encodeProgramName(expected.name))
        differences.append(QStringLiteral("имя \"%1\" вместо \"%2\"").arg(actual.name, expected.name));
    const int common = std::min(actual.records.size(), expected.records.size());
    for (int j = 0; j < common; ++j) {
        if (actual.records.at(j) != expected.records.at(j))
            differences.append(QStringLiteral("строка %1 отличается").arg(j));
    }
    return differences.join(QStringLiteral("; "));
}

bool probeAddress(DeviceLink &link, quint8 address)
{
    QByteArray reply;
    int count = 0;
    return link.query(reply, count, address, programRegister(ProgramSizeRegister, 0), 4,
                      CommandTimeLimitMs, ReadFunction)
        == LinkResult::Ok;
}

RestoreReport restoreCells(DeviceLink &link, quint8 address, const QVector<StoredCell> &cells,
                           const CellDone &cellDone, const RequestDone &requestDone)
{
    RestoreReport report;
    for (const StoredCell &cell : cells) {
        QString error;
        StoredCell back;
        if (!writeStoredCell(link, address, cell, error, requestDone)
            || !readStoredCell(link, address, cell.cell, back, error, requestDone)) {
            report.ended = true;
            report.failure = error;
            cellDone(cell.cell, false, error);
            return report;
        }
        const QString differences = cellDifferences(cell, back);
        if (differences.isEmpty())
            report.verified.append(cell.cell);
        else
            report.different.append(cell.cell);
        cellDone(cell.cell, differences.isEmpty(), differences);
    }
    return report;
}

QString cellList(QVector<int> cells)
{
    if (cells.isEmpty())
        return QStringLiteral("нет");
    std::sort(cells.begin(), cells.end());
    QStringList numbers;
    for (int cell : cells)
        numbers.append(QString::number(cell + 1));
    if (numbers.size() == 1)
        return numbers.first();
    const QString last = numbers.takeLast();
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" и ") + last;
}
