// Backup of four full cells (400 records) and their restore with
// verification, against quillmar-device --pace, which takes and sends
// characters no faster than a 9600 baud 8N1 line. Reports:
//  - wall time against the wire time of the characters exchanged (1/960 s
//    each); target: at most 1.05 times;
//  - the process's CPU time (getrusage) against its wall time; target:
//    under 5 %.
// Usage: cells_bench   (Release build; exit status 1 when a target is missed)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "cputime.h"
#include "wirecharacters.h"

#include "emulator/devicememory.h"
#include "emulatorprocess.h"
#include "link/devicelink.h"
#include "transfer/devicecells.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    // Four cells of 100 different records each, names included.
    DeviceMemory memory;
    for (int cell = 0; cell < DeviceMemory::Cells; ++cell) {
        for (int i = 0; i < DeviceMemory::Capacity; ++i) {
            QByteArray image(DeviceMemory::RecordSize, char(cell * 16 + i % 16));
            image[0] = char(i % 12);
            memory.setRecord(cell, i, image);
        }
        memory.setCount(cell, DeviceMemory::Capacity);
        memory.setName(cell, QByteArray("Cell") + char('1' + cell));
    }
    QFile state(dir.filePath("state"));
    if (!state.open(QIODevice::WriteOnly) || state.write(memory.toBytes()) < 0) {
        std::fprintf(stderr, "cells_bench: cannot write the device state\n");
        return 2;
    }
    state.close();
    EmulatorProcess device;
    if (!device.start({"--pace", "--state", state.fileName()})) {
        std::fprintf(stderr, "cells_bench: cannot start the emulator\n");
        return 2;
    }
    DeviceLink link;
    link.setTraceDevice(nullptr);
    link.setPort(&device.port());

    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    QVector<StoredCell> cells;
    QString error;
    for (int cell = 0; cell < DeviceMemory::Cells && error.isEmpty(); ++cell) {
        StoredCell stored;
        if (readStoredCell(link, 0, cell, stored, error))
            cells.append(stored);
    }
    const double backupSeconds = double(wall.nsecsElapsed()) / 1e9;
    const RestoreReport report = restoreCells(link, 0, cells, [](int, bool, const QString &) {});
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    device.stop();

    if (cells.size() != DeviceMemory::Cells || report.verified.size() != DeviceMemory::Cells) {
        std::fprintf(stderr, "cells_bench: the backup or the restore failed: %s %s\n", qPrintable(error),
                     qPrintable(report.failure));
        return 2;
    }
    const qint64 characters = wireCharacters(device.errorOutput());
    const double wire = double(characters) / 960.0;
    const double wallRatio = seconds / wire;
    const double cpuShare = 100.0 * cpu / seconds;
    std::printf("backup of 4 x 100 records (%.3f s), restore with verification: %lld characters on the wire\n",
                backupSeconds, static_cast<long long>(characters));
    std::printf("wall %.3f s, wire time %.3f s: %.3f x (target <= 1.05)\n", seconds, wire, wallRatio);
    std::printf("cpu %.3f s of wall %.3f s: %.2f %% (target < 5 %%)\n", cpu, seconds, cpuShare);
    return wallRatio <= 1.05 && cpuShare < 5.0 ? 0 : 1;
}
