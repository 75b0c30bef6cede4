#ifndef DEVICERESPONDER_H
#define DEVICERESPONDER_H

#include <QByteArray>
#include <optional>

#include "devicememory.h"

// One decoded request frame.
struct DeviceRequest
{
    quint8 destination = 0;
    quint8 source = 0;
    quint8 reg = 0;
    quint8 function = 0;
    QByteArray data;
};

// Answers requests as the power supply does: reads (function 0x02) of the
// record, count and name registers of the four cells, writes (0x12) that
// store and acknowledge with status 0x1F. A request that cannot be served
// gets a refusal: no data, status 0x80 | function.
class DeviceResponder
{
public:
    static constexpr quint8 ReadFunction = 0x02;
    static constexpr quint8 WriteFunction = 0x12;
    static constexpr quint8 Acknowledged = 0x1F;

    explicit DeviceResponder(quint8 address = 0) : m_address(address) {}

    quint8 address() const { return m_address; }
    DeviceMemory &memory() { return m_memory; }
    const DeviceMemory &memory() const { return m_memory; }

    // A well-formed frame text (upper-case hex, at least the four header
    // bytes, intact CRC), or nothing.
    static std::optional<DeviceRequest> parse(const QByteArray &frame);

    // The reply bytes (CRC included) to a request addressed to this device;
    // stored is set when a write changed the memory.
    QByteArray respond(const DeviceRequest &request, bool *stored = nullptr);
    QByteArray refusal(const DeviceRequest &request) const;

private:
    QByteArray reply(const DeviceRequest &request, quint8 status,
                     const QByteArray &data = QByteArray()) const;

    quint8 m_address;
    DeviceMemory m_memory;
};

#endif
