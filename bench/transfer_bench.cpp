// A 100-record upload and download against quillmar-device --pace, which
// takes and sends characters no faster than a 9600 baud 8N1 line.
// Reports, for one run of both transfers:
//  - wall time against the wire time of the same frames (every character
//    sent and received, 1/960 s each); target: at most 1.10 times;
//  - the process's CPU time (getrusage) against its wall time; target: at
//    most 5 %.
// Usage: transfer_bench   (Release build; exit status 1 when a target is missed)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "cputime.h"
#include "wirecharacters.h"

#include "emulatorprocess.h"
#include "lang/compiler.h"
#include "link/devicelink.h"
#include "transfer/programdownload.h"
#include "transfer/programupload.h"

namespace {

// A program of 100 records of every kind, jumps included.
QString hundredRecords()
{
    QString source = QStringLiteral("prgName = \"Bench\";\n");
    for (int i = 0; i < 20; ++i) {
        source += QStringLiteral("#%1;\nUs = %2;\nif Io >= M%3 #%1 else #%4;\ndelay_ms 50;\njmp #%1;\n")
                      .arg(i + 1)
                      .arg(i * 100)
                      .arg(i % 8 + 1)
                      .arg(i == 19 ? 2 : i + 2);
    }
    return source;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    EmulatorProcess device;
    if (!device.start({"--pace", "--state", dir.filePath("state")})) {
        std::fprintf(stderr, "transfer_bench: cannot start the emulator\n");
        return 2;
    }
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    const CompileResult program = compiler.compile(hundredRecords());
    if (program.failed || program.records.size() != 100) {
        std::fprintf(stderr, "transfer_bench: the program does not compile to 100 records\n");
        return 2;
    }

    DeviceLink link;
    link.setTraceDevice(nullptr);
    link.setPort(&device.port());
    const PaneLine quiet = [](const QString &) {};
    QStringList source;

    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    const UploadResult up = uploadProgram(link, program.records, program.programName, {0, 1}, quiet);
    const DownloadResult down =
        downloadProgram(link, {0, 1}, makeOperandCodes(), makeComparisonCodes(), quiet,
                        [&source](const QStringList &lines) { source = lines; });
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    device.stop();

    if (up != UploadResult::Stored || down != DownloadResult::Decoded || source.size() != 102) {
        std::fprintf(stderr, "transfer_bench: the transfers failed\n");
        return 2;
    }
    const qint64 characters = wireCharacters(device.errorOutput());
    const double wire = double(characters) / 960.0;
    const double wallRatio = seconds / wire;
    const double cpuShare = 100.0 * cpu / seconds;
    std::printf("100-record upload and download: %lld characters on the wire\n",
                static_cast<long long>(characters));
    std::printf("wall %.3f s, wire time %.3f s: %.3f x (target <= 1.10)\n", seconds, wire, wallRatio);
    std::printf("cpu %.3f s of wall %.3f s: %.2f %% (target <= 5 %%)\n", cpu, seconds, cpuShare);
    return wallRatio <= 1.10 && cpuShare <= 5.0 ? 0 : 1;
}
