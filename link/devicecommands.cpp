#include "devicecommands.h"

quint8 programRegister(quint8 base, int cell)
{
    return quint8(base + qBound(0, cell, ProgramCellCount - 1));
}

QByteArray encodeProgramName(const QString &name)
{
    QByteArray bytes(ProgramNameLength, ' ');
    const int n = qMin(int(name.size()), ProgramNameLength);
    for (int i = 0; i < n; ++i) {
        const ushort code = name.at(i).unicode();
        bytes[i] = code <= 0xFF ? char(code) : '\0';
    }
    return bytes;
}

void applyProgramName(QString &name, const QByteArray &bytes)
{
    if (name.size() < ProgramNameLength)
        name.resize(ProgramNameLength);
    for (int i = 0; i < ProgramNameLength; ++i)
        name[i] = QChar(i < bytes.size() ? quint8(bytes.at(i)) : 0);
}
