// The link's reply path (hex decoding, the checks of read and write
// transactions) fed with raw characters off the line. Byte 0 is the read's
// minimum length; the rest is the reply buffer.

#include <QByteArray>

#include "emulator/devicewire.h"
#include "fuzzcheck.h"
#include "link/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    if (size < 1)
        return 0;
    const FrameSettings settings;
    const int minLength = data[0];
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1, int(size - 1));

    QByteArray decoded;
    const int n = decodeReply(settings, raw, decoded);
    FUZZ_CHECK(n >= -1 && n <= 255 && (n < 0 || n == decoded.size()));

    // The emulator's decoder was written separately; on the frame text (first
    // start character through the next end character) the two must agree
    // byte for byte (the link refuses overlong frames).
    const int start = raw.indexOf(settings.start);
    const int end = start < 0 ? -1 : raw.indexOf(settings.end, start + 1);
    const QByteArray text = end < 0 ? QByteArray() : raw.mid(start, end - start + 1);
    if (!text.isEmpty()) {
        QByteArray wire;
        const bool wireOk = DeviceWire::decode(text, wire) && wire.size() <= 255;
        FUZZ_CHECK(wireOk ? n == wire.size() && decoded == wire : n < 0);
    }

    QByteArray out;
    int count = -1;
    QByteArray trace;
    const LinkResult query = checkQueryReply(settings, raw, minLength, out, count, &trace);
    FUZZ_CHECK((query == LinkResult::Ok || query == LinkResult::BadReply) && count >= 0 && count <= 255);
    if (query == LinkResult::Ok) {
        // Accepted: a whole intact frame, long enough, addressed to us, and
        // exactly what the device would have sent.
        FUZZ_CHECK(trace.isEmpty() && n > 0 && count == n && out == decoded && count >= minLength);
        FUZZ_CHECK(crc16(out) == 0 && quint8(out.at(0)) == settings.ownAddress);
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

    // Any bytes framed by the link come back unchanged (a reply of more than
    // 255 bytes is refused, so the payload stays below).
    if (raw.size() >= 4) {
        const QByteArray payload = raw.mid(4, 255 - 6);
        const QByteArray frame =
            encodeFrame(settings, quint8(raw.at(0)), quint8(raw.at(1)), quint8(raw.at(2)), payload);
        QByteArray back;
        FUZZ_CHECK(decodeReply(settings, frame, back) == payload.size() + 6);
        FUZZ_CHECK(crc16(back) == 0 && back.mid(4, payload.size()) == payload);
    }
    return 0;
}
