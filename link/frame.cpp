#include "frame.h"

#include "link/devicecommands.h"

namespace {

constexpr int MaxFrameBytes = 255;

void appendHex(const FrameSettings &settings, QByteArray &out, quint8 byte)
{
    out.append(settings.digits.at(byte >> 4));
    out.append(settings.digits.at(byte & 0x0F));
}

} // namespace

quint16 crc16Update(quint16 crc, quint8 byte)
{
    crc ^= quint16(byte << 8);
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    return crc;
}

quint16 crc16(const QByteArray &bytes, quint16 crc)
{
    for (const char c : bytes)
        crc = crc16Update(crc, quint8(c));
    return crc;
}

QByteArray encodeFrame(const FrameSettings &settings, quint8 destination, quint8 reg,
                       quint8 function, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(destination));
    bytes.append(char(settings.ownAddress));
    bytes.append(char(reg));
    bytes.append(char(function));
    bytes.append(data.left(MaxFrameBytes));
    const quint16 crc = crc16(bytes);
    bytes.append(char(crc >> 8));
    bytes.append(char(crc & 0xFF));

    QByteArray frame;
    frame.reserve(2 * bytes.size() + 2);
    frame.append(settings.start);
    for (const char b : qAsConst(bytes))
        appendHex(settings, frame, quint8(b));
    frame.append(settings.end);
    return frame;
}

int decodeReply(const FrameSettings &settings, const QByteArray &raw, QByteArray &out)
{
    out.clear();
    const int start = raw.indexOf(settings.start);
    if (start < 0)
        return -1;
    int end = raw.indexOf(settings.end, start + 1);
    if (end < 0)
        return 0;
    for (int i = start + 1; i < end; i += 2) {
        if (i + 1 >= end)
            return -1; // odd number of characters
        const int high = settings.digits.indexOf(raw.at(i));
        const int low = settings.digits.indexOf(raw.at(i + 1));
        if (high < 0 || low < 0 || high > 15 || low > 15)
            return -1;
        out.append(char(high * 16 + low));
    }
    // A reply longer than any frame would make the byte count wrap around.
    if (out.size() > MaxFrameBytes)
        return -1;
    return out.size();
}

LinkResult checkQueryReply(const FrameSettings &settings, const QByteArray &raw, int minLength,
                           QByteArray &out, int &count, QByteArray *trace)
{
    auto note = [trace](const QByteArray &text) {
        if (trace)
            trace->append(text);
    };
    const int decoded = decodeReply(settings, raw, out);
    count = qMax(decoded, 0);
    if (decoded < 0) {
        note("Error crc\n");
        return LinkResult::BadReply;
    }
    if (count < minLength) {
        note("Error linesize\n" + QByteArray::number(count) + ' ' + QByteArray::number(minLength));
        return LinkResult::BadReply;
    }
    if (count == 0 || crc16(out) != 0) {
        note("Error crc\n");
        return LinkResult::BadReply;
    }
    if (quint8(out.at(0)) != settings.ownAddress) {
        note("Error Id\n" + QByteArray::number(int(qint8(out.at(0)))));
        return LinkResult::BadReply;
    }
    return LinkResult::Ok;
}

LinkResult checkCommandReply(const FrameSettings &settings, const QByteArray &raw)
{
    QByteArray out;
    const int decoded = decodeReply(settings, raw, out);
    if (decoded <= 0 || crc16(out) != 0)
        return LinkResult::BadReply;
    if (decoded < 4 || quint8(out.at(3)) != WriteAcknowledged)
        return LinkResult::BadReply;
    return LinkResult::Ok;
}
