#ifndef DEVICECOMMANDS_H
#define DEVICECOMMANDS_H

#include <QByteArray>
#include <QString>

// Register bases of a program memory cell; the cell (0 to 3) is added.
constexpr quint8 ProgramLinesRegister = 0xB0;
constexpr quint8 ProgramSizeRegister = 0xB4;
constexpr quint8 ProgramNameRegister = 0xB8;

constexpr quint8 ReadFunction = 0x02;
constexpr quint8 WriteFunction = 0x12;
constexpr int CommandTimeLimitMs = 244;
constexpr int ProgramNameLength = 5;

// base + cell, the cell clamped to 0..3.
quint8 programRegister(quint8 base, int cell);

// The five name bytes of a write: Latin-1 codes, 0 for characters beyond
// Latin-1, spaces after a short name, nothing past the fifth character.
QByteArray encodeProgramName(const QString &name);

// Puts the five name bytes read from the device (each a Latin-1 character)
// into the first five characters of name, growing it if shorter.
void applyProgramName(QString &name, const QByteArray &bytes);

#endif
