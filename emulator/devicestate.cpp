#include "devicestate.h"

#include "devicewire.h"

namespace {

const QByteArray LineTag = QByteArrayLiteral("QMDEV2\n");

int memorySize()
{
    static const int size = DeviceMemory().toBytes().size();
    return size;
}

} // namespace

namespace DeviceState {

QByteArray toBytes(const std::map<quint8, DeviceMemory> &memories)
{
    if (memories.size() == 1)
        return memories.begin()->second.toBytes();
    QByteArray bytes = LineTag;
    bytes.append(char(memories.size() - 1)); // 1 to 256 addresses in one byte
    for (const auto &entry : memories) {
        bytes.append(char(entry.first));
        bytes.append(entry.second.toBytes());
    }
    return DeviceWire::withCrc(bytes);
}

bool fromBytes(const QByteArray &bytes, quint8 firstAddress,
               std::map<quint8, DeviceMemory> &memories, QString *error)
{
    std::map<quint8, DeviceMemory> loaded;
    if (!bytes.startsWith(LineTag)) {
        if (!loaded[firstAddress].fromBytes(bytes, error))
            return false;
        memories = loaded;
        return true;
    }
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const int header = LineTag.size() + 1;
    if (bytes.size() < header + 2)
        return fail(QStringLiteral("wrong size %1").arg(bytes.size()));
    const int count = quint8(bytes.at(LineTag.size())) + 1;
    const int entry = 1 + memorySize();
    if (bytes.size() != header + count * entry + 2)
        return fail(QStringLiteral("wrong size %1").arg(bytes.size()));
    if (DeviceWire::crc(bytes) != 0)
        return fail(QStringLiteral("checksum mismatch"));
    for (int i = 0; i < count; ++i) {
        const int at = header + i * entry;
        const quint8 address = quint8(bytes.at(at));
        if (loaded.count(address))
            return fail(QStringLiteral("address %1 twice").arg(address));
        if (!loaded[address].fromBytes(bytes.mid(at + 1, memorySize()), error))
            return false;
    }
    memories = loaded;
    return true;
}

} // namespace DeviceState
