// The emulator's request path: the character stream is cut into frames,
// parsed and answered, as the emulated device does on its line.
//
// Input: the characters the device receives. Every frame parsed must be
// the exact encoding of what was parsed, and every reply must be a frame
// the computer's link reads back unchanged.

#include <QByteArray>

#include "emulator/deviceresponder.h"
#include "emulator/devicewire.h"
#include "fuzzcheck.h"
#include "link/frame.h"
#include "emulator/requestassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    RequestAssembler assembler;
    DeviceResponder device(1);
    const FrameSettings settings;

    for (const QByteArray &frame : assembler.feed(input)) {
        FUZZ_CHECK(frame.startsWith(DeviceWire::Start) && frame.endsWith(DeviceWire::End));
        FUZZ_CHECK(frame.size() <= RequestAssembler::MaxFrameChars + 1);
        FUZZ_CHECK(frame.count(DeviceWire::Start) == 1 && frame.count(DeviceWire::End) == 1);

        const std::optional<DeviceRequest> request = DeviceResponder::parse(frame);
        if (!request)
            continue;
        QByteArray bytes;
        bytes.append(char(request->destination));
        bytes.append(char(request->source));
        bytes.append(char(request->reg));
        bytes.append(char(request->function));
        bytes.append(request->data);
        FUZZ_CHECK(DeviceWire::encode(DeviceWire::withCrc(bytes)) == frame);

        // What a write to this register could change (comparing whole
        // memories costs a checksum over all of them).
        const int cell = request->reg & 3;
        const int index = request->data.isEmpty() ? 0 : quint8(request->data.back()) % 100;
        auto touched = [&device, cell, index]() {
            const DeviceMemory &m = device.memory();
            return m.record(cell, index) + char(m.count(cell)) + m.name(cell);
        };
        const QByteArray before = touched();
        bool stored = false;
        const QByteArray reply = device.respond(*request, &stored);
        FUZZ_CHECK(stored || touched() == before);
        FUZZ_CHECK(reply.size() >= 6 && DeviceWire::crc(reply) == 0);
        FUZZ_CHECK(quint8(reply.at(0)) == request->source);
        FUZZ_CHECK(quint8(reply.at(1)) == device.address());
        FUZZ_CHECK(!stored || quint8(reply.at(3)) == DeviceResponder::Acknowledged);

        QByteArray back;
        FUZZ_CHECK(decodeReply(settings, DeviceWire::encode(reply), back) == reply.size());
        FUZZ_CHECK(back == reply);
    }

    // The state file the emulator keeps is read with the same distrust.
    // (Comparing whole memories is slow; only inputs that get past the tag
    // can change anything.)
    DeviceMemory memory = device.memory();
    if (memory.fromBytes(input, nullptr)) {
        FUZZ_CHECK(memory.toBytes() == input);
    } else if (input.startsWith("QMDEV1\n")) {
        FUZZ_CHECK(memory == device.memory());
    }
    return 0;
}
