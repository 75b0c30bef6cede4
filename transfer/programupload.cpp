#include "programupload.h"

#include <algorithm>

#include "link/devicecommands.h"
#include "link/devicelink.h"

namespace {

bool isLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

} // namespace

UploadResult uploadProgram(DeviceLink &link, QVector<InstructionRecord> records, QString name,
                           const TransferTarget &target, const PaneLine &paneLine)
{
    paneLine(QStringLiteral("Запись данных в устройство"));
    if (records.isEmpty()) {
        paneLine(QStringLiteral("Нет данных для записи"));
        return UploadResult::NothingToSend;
    }
    // The count and every index travel as one byte, and a cell holds 100
    // records: a longer program would be stored cut short or wrapped round.
    if (records.size() > CellCapacity) {
        paneLine(QStringLiteral("Ошибка: программа длиннее 100 строк"));
        return UploadResult::TooLong;
    }
    // A character beyond Latin-1 would go out as a zero byte while the
    // upload reported success.
    if (!isLatin1(name)) {
        paneLine(QStringLiteral("Ошибка: имя программы должно состоять из латинских символов"));
        return UploadResult::NameNotLatin1;
    }

    for (int i = 0; i < records.size(); ++i) {
        if (link.writeProgramLine(target.address, records.at(i), i, target.cell, WriteFunction)
            != LinkResult::Ok) {
            paneLine(QStringLiteral("Ошибка записи"));
            return UploadResult::RecordFailed;
        }
        paneLine(QStringLiteral("Строка %1 записана").arg(i));
    }
    if (link.writeProgramSize(target.address, records.size(), target.cell, WriteFunction)
        != LinkResult::Ok) {
        paneLine(QStringLiteral("Ошибка записи size"));
        return UploadResult::SizeFailed;
    }
    paneLine(QStringLiteral("Size записан"));
    if (link.writeProgramName(target.address, name, target.cell, WriteFunction) != LinkResult::Ok) {
        paneLine(QStringLiteral("Ошибка записи prgName"));
        return UploadResult::NameFailed;
    }
    // The line end leaves an empty line in the pane before the last one.
    paneLine(QStringLiteral("PrgName \"%1\" записан\n").arg(name));
    paneLine(QStringLiteral("Данные успешно записаны"));
    return UploadResult::Stored;
}
