#include "programdownload.h"

#include <QVector>

#include "lang/instructionrecord.h"
#include "lang/recorddecoder.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"
#include "transfer/programupload.h"

DownloadResult downloadProgram(DeviceLink &link, const TransferTarget &target,
                               const CodeTable &operandCodes, const CodeTable &comparisonCodes,
                               const PaneLine &paneLine, const SourceLines &sourceLines)
{
    paneLine(QStringLiteral("Чтение данных из устройства"));

    int count = 0;
    if (link.readProgramSize(target.address, count, target.cell, ReadFunction) != LinkResult::Ok) {
        paneLine(QStringLiteral("error: ошибка чтения size"));
        return DownloadResult::SizeFailed;
    }
    if (count <= 0) {
        paneLine(QStringLiteral("Нет записей для чтения"));
        return DownloadResult::Empty;
    }
    if (count > CellCapacity) {
        paneLine(QStringLiteral("error: некорректное кол-во строк"));
        return DownloadResult::BadCount;
    }
    paneLine(QStringLiteral("Всего строк %1").arg(count));

    QString name;
    if (link.readProgramName(target.address, name, target.cell, ReadFunction) != LinkResult::Ok) {
        paneLine(QStringLiteral("error: ошибка чтения prgName"));
        return DownloadResult::NameFailed;
    }
    // Exactly as stored, trailing spaces included.
    paneLine(QStringLiteral("prgName = \"%1\"").arg(name));

    QVector<InstructionRecord> records;
    records.reserve(count);
    for (int j = 0; j < count; ++j) {
        InstructionRecord record;
        if (link.readProgramLine(target.address, record, j, target.cell, ReadFunction)
            != LinkResult::Ok) {
            paneLine(QStringLiteral("error: ошибка чтения строки"));
            return DownloadResult::LineFailed;
        }
        records.append(record);
        paneLine(QStringLiteral("Строка %1 считана").arg(j));
    }

    const DecodedProgram decoded = decodeProgram(records, name, operandCodes, comparisonCodes);
    if (!decoded.ok) {
        paneLine(decoded.message);
        return DownloadResult::DecodeFailed;
    }
    sourceLines(decoded.lines);
    paneLine(QStringLiteral("Данные успешно считаны и декодированы"));
    return DownloadResult::Decoded;
}
