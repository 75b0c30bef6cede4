// The emulator's request path: the characters the device receives are cut
// into frames, parsed and answered. Every frame parsed must be the exact
// encoding of what was parsed; every reply a frame the link reads back
// unchanged; the state file is read with the same distrust.

#include <QByteArray>

#include "emulator/deviceresponder.h"
#include "emulator/devicewire.h"
#include "emulator/requestassembler.h"
#include "fuzzcheck.h"
#include "link/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    RequestAssembler assembler;
    DeviceResponder device(1);

    for (const QByteArray &frame : assembler.feed(input)) {
        FUZZ_CHECK(frame.startsWith(DeviceWire::Start) && frame.endsWith(DeviceWire::End));
        FUZZ_CHECK(frame.size() <= RequestAssembler::MaxFrameChars + 1);
        FUZZ_CHECK(frame.count(DeviceWire::Start) == 1 && frame.count(DeviceWire::End) == 1);

        const std::optional<DeviceRequest> request = DeviceResponder::parse(frame);
        if (!request)
            continue;
        const QByteArray bytes = QByteArray(1, char(request->destination)) + char(request->source)
            + char(request->reg) + char(request->function) + request->data;
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
        FUZZ_CHECK(quint8(reply.at(0)) == request->source && quint8(reply.at(1)) == device.address());
        FUZZ_CHECK(!stored || quint8(reply.at(3)) == DeviceResponder::Acknowledged);
        QByteArray back;
        FUZZ_CHECK(decodeReply(FrameSettings(), DeviceWire::encode(reply), back) == reply.size() && back == reply);
    }

    // Only inputs that get past the tag can change anything (comparing whole
    // memories is slow).
    DeviceMemory memory = device.memory();
    if (memory.fromBytes(input, nullptr))
        FUZZ_CHECK(memory.toBytes() == input);
    else if (input.startsWith("QMDEV1\n"))
        FUZZ_CHECK(memory == device.memory());
    return 0;
}
