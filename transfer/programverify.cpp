#include "programverify.h"

#include "link/devicecommands.h"
#include "link/devicelink.h"

bool verifyProgram(DeviceLink &link, const QVector<InstructionRecord> &records,
                   const QString &name, const TransferTarget &target, const PaneLine &paneLine)
{
    int count = -1;
    if (link.readProgramSize(target.address, count, target.cell, ReadFunction) != LinkResult::Ok) {
        paneLine(QStringLiteral("Проверка: ошибка чтения size"));
        return false;
    }
    if (count != records.size()) {
        paneLine(QStringLiteral("Проверка: кол-во строк %1 вместо %2").arg(count).arg(records.size()));
        return false;
    }

    bool same = true;
    QString stored;
    if (link.readProgramName(target.address, stored, target.cell, ReadFunction) != LinkResult::Ok) {
        paneLine(QStringLiteral("Проверка: ошибка чтения prgName"));
        return false;
    }
    // Compared as the bytes of the cell: the device keeps a short name
    // padded with spaces.
    const QByteArray sent = encodeProgramName(name);
    if (stored.toLatin1() != sent) {
        paneLine(QStringLiteral("Проверка: имя \"%1\" вместо \"%2\"")
                     .arg(stored, QString::fromLatin1(sent)));
        same = false;
    }

    for (int j = 0; j < records.size(); ++j) {
        InstructionRecord record;
        if (link.readProgramLine(target.address, record, j, target.cell, ReadFunction)
            != LinkResult::Ok) {
            paneLine(QStringLiteral("Проверка: ошибка чтения строки %1").arg(j));
            return false;
        }
        if (record.toImage() != records.at(j).toImage()) {
            paneLine(QStringLiteral("Проверка: строка %1 отличается").arg(j));
            same = false;
        }
    }
    if (same)
        paneLine(QStringLiteral("Проверка пройдена"));
    return same;
}
