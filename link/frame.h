#ifndef FRAME_H
#define FRAME_H

#include <QByteArray>

#include "link/framesettings.h"
#include "link/linkresult.h"

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection.
quint16 crc16Update(quint16 crc, quint8 byte);
quint16 crc16(const QByteArray &bytes, quint16 crc = 0xFFFF);

// The request frame: start, hex of destination, own address, register,
// function, data (at most 255 bytes; more are not sent) and CRC, end.
QByteArray encodeFrame(const FrameSettings &settings, quint8 destination, quint8 reg,
                       quint8 function, const QByteArray &data = QByteArray());

// Decodes the hex pairs between the first start character of raw and the
// first end character after it into out. Returns the number of bytes, or -1
// when the text is not a valid frame (no start, a character that is not one
// of the digits, an odd count, more than 255 bytes).
int decodeReply(const FrameSettings &settings, const QByteArray &raw, QByteArray &out);

// The checks of a read transaction on a collected reply. out and count
// receive the decoded bytes; the reason of a failure is appended to trace.
LinkResult checkQueryReply(const FrameSettings &settings, const QByteArray &raw, int minLength,
                           QByteArray &out, int &count, QByteArray *trace = nullptr);

// The checks of a write transaction: intact and acknowledged (status 0x1F).
LinkResult checkCommandReply(const FrameSettings &settings, const QByteArray &raw);

#endif
