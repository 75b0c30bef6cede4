#include "instructionrecord.h"

namespace {

void putLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

quint32 getLe(const QByteArray &in, int offset, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int at = offset + i;
        const quint32 byte = at < in.size() ? quint8(in.at(at)) : 0u;
        value |= byte << (8 * i);
    }
    return value;
}

} // namespace

QByteArray InstructionRecord::toImage() const
{
    QByteArray out;
    out.reserve(ImageSize + 1);
    out.append(char(func));
    out.append(char(oper));
    putLe(out, quint32(arg1), 4);
    putLe(out, quint32(arg2), 4);
    putLe(out, quint16(arg3), 2);
    putLe(out, quint16(arg4), 2);
    return out;
}

InstructionRecord InstructionRecord::fromImage(const QByteArray &image)
{
    InstructionRecord r;
    r.func = quint8(getLe(image, 0, 1));
    r.oper = quint8(getLe(image, 1, 1));
    r.arg1 = qint32(getLe(image, 2, 4));
    r.arg2 = qint32(getLe(image, 6, 4));
    r.arg3 = qint16(quint16(getLe(image, 10, 2)));
    r.arg4 = qint16(quint16(getLe(image, 12, 2)));
    return r;
}

QByteArray InstructionRecord::writePayload(int position) const
{
    QByteArray out = toImage();
    out.append(char(position & 0xFF));
    return out;
}

QString InstructionRecord::listingLine() const
{
    return QStringLiteral(">func:%1 oper:%2 arg1:%3 arg3:%4 arg3:%5 arg4:%6")
        .arg(int(func))
        .arg(QString::number(oper, 16).toUpper())
        .arg(int(arg1))
        .arg(int(arg2))
        .arg(int(arg3))
        .arg(int(arg4));
}
