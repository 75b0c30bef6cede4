#include "devicewire.h"

namespace DeviceWire {

namespace {

int nibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

quint16 crc(const QByteArray &bytes)
{
    quint16 value = 0xFFFF;
    for (const char c : bytes) {
        value ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x8000) ? quint16((value << 1) ^ 0x1021) : quint16(value << 1);
    }
    return value;
}

QByteArray withCrc(const QByteArray &bytes)
{
    const quint16 value = crc(bytes);
    return bytes + char(value >> 8) + char(value & 0xFF);
}

QByteArray encode(const QByteArray &bytes, bool lowerCase)
{
    QByteArray hex = bytes.toHex();
    if (!lowerCase)
        hex = hex.toUpper();
    return Start + hex + End;
}

bool decode(const QByteArray &frame, QByteArray &bytes)
{
    bytes.clear();
    if (frame.size() < 2 || frame.front() != Start || frame.back() != End
        || (frame.size() - 2) % 2 != 0)
        return false;
    for (int i = 1; i + 1 < frame.size() - 1; i += 2) {
        const int high = nibble(frame.at(i));
        const int low = nibble(frame.at(i + 1));
        if (high < 0 || low < 0)
            return false;
        bytes.append(char(high * 16 + low));
    }
    return true;
}

} // namespace DeviceWire
