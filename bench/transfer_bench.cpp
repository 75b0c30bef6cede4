// A 100-record upload and download against quillmar-device --pace, which
// takes and sends characters no faster than a 9600 baud 8N1 line, on three
// kinds of line: direct, echoing every request (--echo) and delivering in
// 16 ms bursts (--latency 16). Reports, for one run of both transfers on each:
//  - wall time against the wire time of the same frames (every character
//    sent and received, 1/960 s each; the echo travels while the request is
//    sent, so it adds none); target: at most 1.10 times, on the bursty line
//    1.10 times the wire time plus two bursts (2 x 16 ms) a transaction;
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

// One run of both transfers on a line; true when the targets are met, and
// failed set when the transfers themselves did not succeed.
bool runOnLine(const char *title, const QStringList &line, int latencyMs, const CompileResult &program,
               bool &failed)
{
    QTemporaryDir dir;
    EmulatorProcess device;
    if (!device.start(QStringList{"--pace", "--state", dir.filePath("state")} + line)) {
        std::fprintf(stderr, "transfer_bench: cannot start the emulator\n");
        failed = true;
        return false;
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
        std::fprintf(stderr, "transfer_bench: the transfers failed on the %s line\n", title);
        failed = true;
        return false;
    }
    const qint64 characters = wireCharacters(device.errorOutput());
    const int transactions = device.requestCount();
    const double wire = double(characters) / 960.0;
    const double allowed = wire + 2.0 * latencyMs / 1000.0 * transactions;
    const double wallRatio = seconds / allowed;
    const double cpuShare = 100.0 * cpu / seconds;
    std::printf("%s line: 100-record upload and download, %d transactions, %lld characters on the wire\n",
                title, transactions, static_cast<long long>(characters));
    if (latencyMs > 0)
        std::printf("  wall %.3f s, wire time %.3f s + 2 x %d ms a transaction = %.3f s: %.3f x (target <= 1.10)\n",
                    seconds, wire, latencyMs, allowed, wallRatio);
    else
        std::printf("  wall %.3f s, wire time %.3f s: %.3f x (target <= 1.10)\n", seconds, wire, wallRatio);
    std::printf("  cpu %.3f s of wall %.3f s: %.2f %% (target <= 5 %%)\n", cpu, seconds, cpuShare);
    return wallRatio <= 1.10 && cpuShare <= 5.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    const CompileResult program = compiler.compile(hundredRecords());
    if (program.failed || program.records.size() != 100) {
        std::fprintf(stderr, "transfer_bench: the program does not compile to 100 records\n");
        return 2;
    }
    bool failed = false;
    bool met = runOnLine("direct", {}, 0, program, failed);
    met = runOnLine("echoing", {"--echo"}, 0, program, failed) && met;
    met = runOnLine("bursty", {"--latency", "16"}, 16, program, failed) && met;
    return failed ? 2 : met ? 0 : 1;
}
