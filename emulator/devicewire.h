#ifndef DEVICEWIRE_H
#define DEVICEWIRE_H

#include <QByteArray>

// The device side of the line: ASCII-hex frames "#", hex pairs, CR, with a
// CRC-16/CCITT-FALSE over the bytes. Written independently of the
// computer's link code so the two check each other.

namespace DeviceWire {

constexpr char Start = '#';
constexpr char End = '\r';

quint16 crc(const QByteArray &bytes);
// bytes followed by their CRC, high byte first.
QByteArray withCrc(const QByteArray &bytes);
// "#", the hex pairs of bytes, CR.
QByteArray encode(const QByteArray &bytes, bool lowerCase = false);
// Strict decoding of one frame text from "#" through CR: upper-case hex
// pairs only. False for anything else.
bool decode(const QByteArray &frame, QByteArray &bytes);

} // namespace DeviceWire

#endif
