#include "devicebackup.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

#include "lang/instructionrecord.h"
#include "lang/languagetables.h"
#include "lang/recorddecoder.h"
#include "link/devicecommands.h"
#include "transfer/programupload.h"

namespace {

const QString formatName = QStringLiteral("quillmar-backup");
constexpr int formatVersion = 1;
constexpr int cellCount = 4;

QJsonValue decodedSource(const StoredCell &cell)
{
    QVector<InstructionRecord> records;
    for (const QByteArray &image : cell.records)
        records.append(InstructionRecord::fromImage(image));
    if (records.isEmpty())
        return QJsonValue::Null;
    const DecodedProgram decoded =
        decodeProgram(records, cell.name, makeOperandCodes(), makeComparisonCodes());
    if (!decoded.ok)
        return QJsonValue::Null;
    return decoded.lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// A whole number from lowest to highest, or false.
bool wholeNumber(const QJsonValue &value, double lowest, double highest, int &number)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d != std::floor(d) || d < lowest || d > highest)
        return false;
    number = int(d);
    return true;
}

bool isHexImage(const QString &text)
{
    return text.size() == 2 * InstructionRecord::ImageSize
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
               return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                   || (c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'));
           });
}

bool isStoredName(const QString &name)
{
    return name.size() == ProgramNameLength
        && std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

bool fail(QString &error, const QString &place, const QString &reason)
{
    error = place + QStringLiteral(": ") + reason;
    return false;
}

bool readCell(const QJsonValue &value, const QString &place, StoredCell &cell, QString &error)
{
    if (!value.isObject())
        return fail(error, place, QStringLiteral("не объект"));
    const QJsonObject object = value.toObject();
    int number = 0;
    if (!wholeNumber(object.value(QLatin1String("cell")), 1, cellCount, number))
        return fail(error, place + QStringLiteral(".cell"), QStringLiteral("ячейка не от 1 до 4"));
    cell.cell = number - 1;
    const QJsonValue name = object.value(QLatin1String("name"));
    if (!name.isString() || !isStoredName(name.toString()))
        return fail(error, place + QStringLiteral(".name"),
                    QStringLiteral("имя не из 5 символов Latin-1"));
    cell.name = name.toString();
    const QJsonValue records = object.value(QLatin1String("records"));
    if (!records.isArray())
        return fail(error, place + QStringLiteral(".records"), QStringLiteral("не список"));
    const QJsonArray images = records.toArray();
    int count = -1;
    if (!wholeNumber(object.value(QLatin1String("count")), 0, CellCapacity, count))
        return fail(error, place + QStringLiteral(".count"),
                    QStringLiteral("не число от 0 до %1").arg(CellCapacity));
    if (count != images.size())
        return fail(error, place + QStringLiteral(".count"),
                    QStringLiteral("%1, а записей %2").arg(count).arg(images.size()));
    cell.records.clear();
    for (int i = 0; i < images.size(); ++i) {
        const QString text = images.at(i).toString();
        if (!images.at(i).isString() || !isHexImage(text))
            return fail(error, place + QStringLiteral(".records[%1]").arg(i),
                        QStringLiteral("не 28 шестнадцатеричных цифр"));
        cell.records.append(QByteArray::fromHex(text.toLatin1()));
    }
    return true;
}

} // namespace

QByteArray DeviceBackup::toJson() const
{
    QJsonArray cellArray;
    for (const StoredCell &cell : cells) {
        QJsonArray images;
        for (const QByteArray &image : cell.records)
            images.append(QString::fromLatin1(image.toHex().toUpper()));
        cellArray.append(QJsonObject{
            {QStringLiteral("cell"), cell.cell + 1},
            {QStringLiteral("name"), cell.name},
            {QStringLiteral("count"), cell.records.size()},
            {QStringLiteral("records"), images},
            {QStringLiteral("source"), decodedSource(cell)},
        });
    }
    const QJsonObject root{
        {QStringLiteral("format"), formatName},
        {QStringLiteral("version"), formatVersion},
        {QStringLiteral("saved"), saved.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("address"), address},
        {QStringLiteral("cells"), cellArray},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool DeviceBackup::fromJson(const QByteArray &text, QString &error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("символ %1").arg(parseError.offset),
                    QStringLiteral("не JSON (%1)").arg(parseError.errorString()));
    if (!document.isObject())
        return fail(error, QStringLiteral("файл"), QStringLiteral("не объект JSON"));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != formatName)
        return fail(error, QStringLiteral("format"), QStringLiteral("не копия прибора Quillmar"));
    int version = 0;
    if (!wholeNumber(root.value(QLatin1String("version")), formatVersion, formatVersion, version))
        return fail(error, QStringLiteral("version"), QStringLiteral("неизвестная версия"));
    int readAddress = 0;
    if (!wholeNumber(root.value(QLatin1String("address")), 0, 255, readAddress))
        return fail(error, QStringLiteral("address"), QStringLiteral("не число от 0 до 255"));
    const QJsonValue cellValue = root.value(QLatin1String("cells"));
    if (!cellValue.isArray() || cellValue.toArray().isEmpty())
        return fail(error, QStringLiteral("cells"), QStringLiteral("нет ни одной ячейки"));

    QVector<StoredCell> readCells;
    const QJsonArray array = cellValue.toArray();
    for (int i = 0; i < array.size(); ++i) {
        StoredCell cell;
        const QString place = QStringLiteral("cells[%1]").arg(i);
        if (!readCell(array.at(i), place, cell, error))
            return false;
        for (const StoredCell &earlier : readCells) {
            if (earlier.cell == cell.cell)
                return fail(error, place + QStringLiteral(".cell"),
                            QStringLiteral("ячейка %1 уже была").arg(cell.cell + 1));
        }
        readCells.append(cell);
    }
    saved = QDateTime::fromString(root.value(QLatin1String("saved")).toString(), Qt::ISODate);
    address = readAddress;
    cells = readCells;
    return true;
}

bool DeviceBackup::save(const QString &path, QString &error) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(toJson()) >= 0 && file.commit())
        return true;
    error = QStringLiteral("%1: не удается записать: %2").arg(path, file.errorString());
    return false;
}

bool DeviceBackup::load(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: не удается прочитать: %2").arg(path, file.errorString());
        return false;
    }
    if (!fromJson(file.readAll(), error)) {
        error = path + QStringLiteral(": ") + error;
        return false;
    }
    return true;
}
