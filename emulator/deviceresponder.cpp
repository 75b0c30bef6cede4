#include "deviceresponder.h"

#include "devicewire.h"

namespace {

// The device's own copy of the register layout and function codes, kept
// apart from link/devicecommands.h on purpose: as the test oracle it must
// catch a wrong constant there, which sharing it would hide.
constexpr quint8 LinesBase = 0xB0;
constexpr quint8 SizeBase = 0xB4;
constexpr quint8 NameBase = 0xB8;
constexpr int HeaderSize = 4;
constexpr int CrcSize = 2;

} // namespace

std::optional<DeviceRequest> DeviceResponder::parse(const QByteArray &frame)
{
    QByteArray bytes;
    if (!DeviceWire::decode(frame, bytes) || bytes.size() < HeaderSize + CrcSize
        || DeviceWire::crc(bytes) != 0)
        return std::nullopt;
    DeviceRequest request;
    request.destination = quint8(bytes.at(0));
    request.source = quint8(bytes.at(1));
    request.reg = quint8(bytes.at(2));
    request.function = quint8(bytes.at(3));
    request.data = bytes.mid(HeaderSize, bytes.size() - HeaderSize - CrcSize);
    return request;
}

QByteArray DeviceResponder::reply(const DeviceRequest &request, quint8 status,
                                  const QByteArray &data) const
{
    QByteArray bytes;
    bytes.append(char(request.source));
    bytes.append(char(m_address));
    bytes.append(char(request.reg));
    bytes.append(char(status));
    bytes.append(data);
    return DeviceWire::withCrc(bytes);
}

QByteArray DeviceResponder::refusal(const DeviceRequest &request) const
{
    return reply(request, quint8(0x80 | request.function));
}

QByteArray DeviceResponder::respond(const DeviceRequest &request, bool *stored)
{
    if (stored)
        *stored = false;
    const int reg = request.reg;
    if (reg < LinesBase || reg >= NameBase + DeviceMemory::Cells)
        return refusal(request);
    const int cell = (reg - LinesBase) % DeviceMemory::Cells;
    const int base = reg - cell;
    const QByteArray &data = request.data;

    if (request.function == ReadFunction) {
        if (base == LinesBase && data.size() == 1 && quint8(data.at(0)) < DeviceMemory::Capacity)
            return reply(request, request.function, m_memory.record(cell, quint8(data.at(0))));
        if (base == SizeBase && data.isEmpty())
            return reply(request, request.function, QByteArray(1, char(m_memory.count(cell))));
        if (base == NameBase && data.isEmpty())
            return reply(request, request.function, m_memory.name(cell));
        return refusal(request);
    }
    if (request.function != WriteFunction)
        return refusal(request);

    if (base == LinesBase && data.size() == DeviceMemory::RecordSize + 1
        && quint8(data.back()) < DeviceMemory::Capacity) {
        m_memory.setRecord(cell, quint8(data.back()), data.left(DeviceMemory::RecordSize));
    } else if (base == SizeBase && data.size() == 1
               && quint8(data.at(0)) <= DeviceMemory::Capacity) {
        m_memory.setCount(cell, quint8(data.at(0)));
    } else if (base == NameBase && data.size() == DeviceMemory::NameSize) {
        m_memory.setName(cell, data);
    } else {
        return refusal(request);
    }
    if (stored)
        *stored = true;
    return reply(request, Acknowledged);
}
