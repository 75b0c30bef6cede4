// A scan of addresses 0 to 255 on a line with one device (quillmar-device
// --pace at address 200): one probe an address, 244 ms for each that does
// not answer. Target: under 256 x 0.3 s in all.
// Usage: scan_bench   (Release build; exit status 1 when the target is missed)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "emulatorprocess.h"
#include "link/devicelink.h"
#include "transfer/devicecells.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int deviceAddress = 200;
    EmulatorProcess device;
    if (!device.start({"--pace", "--address", QString::number(deviceAddress)})) {
        std::fprintf(stderr, "scan_bench: cannot start the emulator\n");
        return 2;
    }
    DeviceLink link;
    link.setTraceDevice(nullptr);
    link.setPort(&device.port());

    QElapsedTimer wall;
    wall.start();
    QVector<int> found;
    for (int address = 0; address <= 255; ++address) {
        if (probeAddress(link, quint8(address)))
            found.append(address);
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    device.stop();
    if (found != QVector<int>{deviceAddress}) {
        std::fprintf(stderr, "scan_bench: found %d addresses, not the device alone\n", int(found.size()));
        return 2;
    }
    const double target = 256 * 0.3;
    std::printf("scan of addresses 0-255, one device: %.3f s (%.1f ms an address; target < %.1f s)\n", seconds,
                1000.0 * seconds / 256, target);
    return seconds < target ? 0 : 1;
}
