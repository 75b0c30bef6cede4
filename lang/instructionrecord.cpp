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
    QString line;
    appendListingLine(line);
    return line;
}

void InstructionRecord::appendListingLine(QString &out) const
{
    char buffer[128];
    char *p = buffer;
    auto text = [&p](const char *t) {
        while (*t)
            *p++ = *t++;
    };
    auto decimal = [&p](qint64 value) {
        if (value < 0) {
            *p++ = '-';
            value = -value;
        }
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0)
            *p++ = digits[--n];
    };
    const char *hex = "0123456789ABCDEF";
    text(">func:");
    decimal(func);
    text(" oper:");
    if (oper >= 16)
        *p++ = hex[oper >> 4];
    *p++ = hex[oper & 0xF];
    text(" arg1:");
    decimal(arg1);
    text(" arg3:");
    decimal(arg2);
    text(" arg3:");
    decimal(arg3);
    text(" arg4:");
    decimal(arg4);
    out.append(QLatin1String(buffer, int(p - buffer)));
}
