// Measures the device link against quillmar-device on a pseudo-terminal:
//  - CPU time against wall time while transactions wait for late replies
//    (--fault delay:every:200), which shows whether waiting sleeps or spins;
//  - the cost of sending one request frame;
//  - a 100-record upload against a device paced like a 9600 baud line.
// Usage: link_wait_bench [transactions] [--no-upload]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <cstdio>

#include "cputime.h"

#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"

namespace {

struct Device
{
    QProcess process;
    QSerialPort port;

    bool start(const QStringList &args)
    {
        process.start(QStringLiteral(QUILLMAR_DEVICE), args);
        if (!process.waitForStarted(5000))
            return false;
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(5000))
                return false;
        }
        port.setPortName(QString::fromLocal8Bit(process.readLine().trimmed()));
        return port.open(QIODevice::ReadWrite);
    }
    ~Device()
    {
        port.close();
        process.terminate();
        process.waitForFinished(5000);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int transactions = args.size() > 1 && args.at(1).toInt() > 0 ? args.at(1).toInt() : 20;

    {
        Device device;
        if (!device.start({"--fault", "delay:every:200"}))
            return 1;
        DeviceLink link;
        link.setTraceDevice(nullptr);
        link.setPort(&device.port);
        QByteArray out;
        int count = 0;
        int ok = 0;
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuSeconds();
        for (int i = 0; i < transactions; ++i)
            ok += link.query(out, count, 0, ProgramSizeRegister, 4, CommandTimeLimitMs, ReadFunction)
                  == LinkResult::Ok;
        const double cpu = cpuSeconds() - cpu0;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        std::printf("waiting: %d transactions (%d ok) with 200 ms replies: wall %.3f s, cpu %.3f s (%.2f %%)\n",
                    transactions, ok, seconds, cpu, 100.0 * cpu / seconds);

        QElapsedTimer send;
        send.start();
        constexpr int frames = 2000;
        InstructionRecord r;
        for (int i = 0; i < frames; ++i)
            link.sendFrame(1, ProgramLinesRegister, WriteFunction, r.writePayload(i));
        std::printf("sending: %.1f us per 15-byte-data frame (%d frames)\n",
                    double(send.nsecsElapsed()) / 1e3 / frames, frames);
    }

    if (!args.contains(QStringLiteral("--no-upload"))) {
        Device device;
        if (!device.start({"--pace"}))
            return 1;
        DeviceLink link;
        link.setTraceDevice(nullptr);
        link.setPort(&device.port);
        InstructionRecord r;
        QElapsedTimer wall;
        wall.start();
        int ok = 0;
        for (int i = 0; i < 100; ++i)
            ok += link.writeProgramLine(0, r, i, 0, WriteFunction) == LinkResult::Ok;
        // Request 44 + reply 14 characters a record, 10 bits each at 9600 baud.
        const double wire = 100 * (44 + 14) * 10 / 9600.0;
        std::printf("upload: 100 records (%d ok) in %.3f s; wire time %.3f s\n", ok,
                    double(wall.nsecsElapsed()) / 1e9, wire);
    }
    return 0;
}
