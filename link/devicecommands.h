#ifndef DEVICECOMMANDS_H
#define DEVICECOMMANDS_H

#include <QByteArray>
#include <QString>

// The device's program registers, in one place for the link, the transfers
// and the command line. (The emulator keeps its own copy on purpose.)

// Register bases of a program memory cell; the cell (0 to 3) is added.
constexpr quint8 ProgramLinesRegister = 0xB0;
constexpr quint8 ProgramSizeRegister = 0xB4;
constexpr quint8 ProgramNameRegister = 0xB8;
constexpr int ProgramCellCount = 4;

// Function codes of the requests, and the status that acknowledges a write.
constexpr quint8 ReadFunction = 0x02;
constexpr quint8 WriteFunction = 0x12;
constexpr quint8 WriteAcknowledged = 0x1F;

constexpr int CommandTimeLimitMs = 244;
constexpr int ProgramNameLength = 5;

// Replies in decoded bytes, the two CRC bytes included. The data starts
// after the four header bytes. A read passes the frame checks with the
// minimum length, and is complete only with the full length.
constexpr int ReplyDataOffset = 4;
constexpr int SizeReplyMinLength = 4;
constexpr int SizeReplyLength = 7;
constexpr int NameReplyMinLength = 8;
constexpr int NameReplyLength = 11;
constexpr int LineReplyMinLength = 17;
constexpr int LineReplyLength = 20;  // header, 14-byte record, CRC

// base + cell, the cell clamped to 0..ProgramCellCount - 1.
quint8 programRegister(quint8 base, int cell);

// The five name bytes of a write: Latin-1 codes, 0 for characters beyond
// Latin-1, spaces after a short name, nothing past the fifth character.
QByteArray encodeProgramName(const QString &name);

// Puts the five name bytes read from the device (each a Latin-1 character)
// into the first five characters of name, growing it if shorter.
void applyProgramName(QString &name, const QByteArray &bytes);

#endif
