#include "devicememory.h"

#include "devicewire.h"

namespace {

const QByteArray StateTag = QByteArrayLiteral("QMDEV1\n");
constexpr int CellBytes = 1 + DeviceMemory::NameSize
                          + DeviceMemory::Capacity * DeviceMemory::RecordSize;

} // namespace

DeviceMemory::DeviceMemory()
{
    for (Cell &cell : m_cells) {
        cell.records = QByteArray(Capacity * RecordSize, '\0');
        cell.name = QByteArray(NameSize, ' ');
    }
}

QByteArray DeviceMemory::record(int cell, int index) const
{
    return m_cells.at(cell).records.mid(index * RecordSize, RecordSize);
}

void DeviceMemory::setRecord(int cell, int index, const QByteArray &image)
{
    m_cells.at(cell).records.replace(index * RecordSize, RecordSize, image.left(RecordSize));
}

int DeviceMemory::count(int cell) const
{
    return m_cells.at(cell).count;
}

void DeviceMemory::setCount(int cell, int count)
{
    m_cells.at(cell).count = count;
}

QByteArray DeviceMemory::name(int cell) const
{
    return m_cells.at(cell).name;
}

void DeviceMemory::setName(int cell, const QByteArray &name)
{
    m_cells.at(cell).name = name.left(NameSize);
}

QByteArray DeviceMemory::toBytes() const
{
    QByteArray bytes = StateTag;
    for (const Cell &cell : m_cells) {
        bytes.append(char(cell.count));
        bytes.append(cell.name);
        bytes.append(cell.records);
    }
    return DeviceWire::withCrc(bytes);
}

bool DeviceMemory::fromBytes(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!bytes.startsWith(StateTag))
        return fail(QStringLiteral("not a device state file"));
    if (bytes.size() != StateTag.size() + Cells * CellBytes + 2)
        return fail(QStringLiteral("wrong size %1").arg(bytes.size()));
    if (DeviceWire::crc(bytes) != 0)
        return fail(QStringLiteral("checksum mismatch"));
    DeviceMemory loaded;
    int at = StateTag.size();
    for (Cell &cell : loaded.m_cells) {
        cell.count = quint8(bytes.at(at));
        if (cell.count > Capacity)
            return fail(QStringLiteral("record count %1 above %2").arg(cell.count).arg(Capacity));
        cell.name = bytes.mid(at + 1, NameSize);
        cell.records = bytes.mid(at + 1 + NameSize, Capacity * RecordSize);
        at += CellBytes;
    }
    *this = loaded;
    return true;
}
