// The reply path of the device link: hex decoding and the checks of read
// and write transactions, fed with raw characters as they come off the line.
//
// Input: byte 0 is the minimum length of the read; the rest is the raw
// reply buffer.

#include <QByteArray>

#include "emulator/devicewire.h"
#include "fuzzcheck.h"
#include "link/frame.h"

namespace {

// The frame text the link works on: first start character through the
// first end character after it.
QByteArray frameText(const FrameSettings &s, const QByteArray &raw)
{
    const int start = raw.indexOf(s.start);
    if (start < 0)
        return QByteArray();
    const int end = raw.indexOf(s.end, start + 1);
    return end < 0 ? QByteArray() : raw.mid(start, end - start + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    if (size < 1)
        return 0;
    const FrameSettings settings;
    const int minLength = data[0];
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1, int(size - 1));

    QByteArray decoded;
    const int n = decodeReply(settings, raw, decoded);
    FUZZ_CHECK(n >= -1 && n <= 255);
    FUZZ_CHECK(n < 0 || n == decoded.size());

    // The emulator's decoder was written separately; on a whole frame text
    // the two must agree byte for byte (the link refuses overlong frames).
    const QByteArray text = frameText(settings, raw);
    if (!text.isEmpty()) {
        QByteArray wire;
        const bool wireOk = DeviceWire::decode(text, wire);
        if (wireOk && wire.size() <= 255) {
            FUZZ_CHECK(n == wire.size());
            FUZZ_CHECK(decoded == wire);
        } else {
            FUZZ_CHECK(n < 0);
        }
    }

    QByteArray out;
    int count = -1;
    QByteArray trace;
    const LinkResult query = checkQueryReply(settings, raw, minLength, out, count, &trace);
    FUZZ_CHECK(query == LinkResult::Ok || query == LinkResult::BadReply);
    FUZZ_CHECK(count >= 0 && count <= 255);
    if (query == LinkResult::Ok) {
        // Accepted: a whole intact frame, long enough, addressed to us.
        FUZZ_CHECK(trace.isEmpty());
        FUZZ_CHECK(n > 0 && count == n && out == decoded);
        FUZZ_CHECK(count >= minLength);
        FUZZ_CHECK(crc16(out) == 0);
        FUZZ_CHECK(quint8(out.at(0)) == settings.ownAddress);
        // What was accepted is exactly what the device would have sent.
        FUZZ_CHECK(DeviceWire::encode(out) == text);
    } else {
        FUZZ_CHECK(trace.startsWith("Error "));
    }

    const LinkResult command = checkCommandReply(settings, raw);
    FUZZ_CHECK(command == LinkResult::Ok || command == LinkResult::BadReply);
    if (command == LinkResult::Ok) {
        FUZZ_CHECK(n >= 4 && crc16(decoded) == 0 && quint8(decoded.at(3)) == 0x1F);
        FUZZ_CHECK(DeviceWire::encode(decoded) == text);
    }

    // Any bytes framed by the link come back unchanged.
    if (raw.size() >= 4) {
        // A reply of more than 255 bytes is refused, so the payload stays below.
        const QByteArray payload = raw.mid(4, 255 - 6);
        const QByteArray frame = encodeFrame(settings, quint8(raw.at(0)), quint8(raw.at(1)),
                                             quint8(raw.at(2)), payload);
        QByteArray back;
        FUZZ_CHECK(decodeReply(settings, frame, back) == payload.size() + 6);
        FUZZ_CHECK(crc16(back) == 0 && back.mid(4, payload.size()) == payload);
    }
    return 0;
}
