#include <QBuffer>
#include <QThread>
#include <QtTest>

#include "emulatorprocess.h"
#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"

using R = InstructionRecord;
enum class Operation { ReadSize, ReadName, ReadLine, WriteSize };
Q_DECLARE_METATYPE(LinkResult)
Q_DECLARE_METATYPE(Operation)

namespace {

// The link to a freshly started emulator, with its trace kept.
struct Session
{
    EmulatorProcess emulator;
    DeviceLink link;
    QBuffer trace;

    bool open(const QStringList &args)
    {
        trace.open(QIODevice::ReadWrite);
        link.setTraceDevice(&trace);
        link.setPort(&emulator.port());
        return emulator.start(args);
    }
};

} // namespace

// The link against the emulated device over a real pseudo-terminal.
class TestDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void faults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<LinkResult>("result");
        QTest::addColumn<int>("requests"); // as counted by the device
        QTest::addColumn<QByteArray>("trace");

        using L = LinkResult;
        using O = Operation;
        const auto row = [](const char *tag, const char *args, O operation, L result, int requests,
                            const char *trace = "") {
            QTest::newRow(tag) << QString::fromLatin1(args).split(' ', Qt::SkipEmptyParts) << operation << result
                               << requests << QByteArray(trace);
        };
        // Reads try twice on any failure, writes three times but only while there is no reply.
        row("read dropped once, retried", "--fault drop:1", O::ReadSize, L::Ok, 2);
        row("read never answered", "--fault drop:every", O::ReadSize, L::NoReply, 2, "Call GetLine");
        row("write never answered", "--fault drop:every", O::WriteSize, L::NoReply, 3);
        row("read too late", "--fault delay:every:600", O::ReadSize, L::NoReply, 2);
        row("read late but in time", "--fault delay:1:120", O::ReadSize, L::Ok, 1);
        row("read bad crc once", "--fault badcrc:1", O::ReadSize, L::Ok, 2, "Error crc\n");
        row("write refused, no retry", "--fault nak:1", O::WriteSize, L::BadReply, 1);
        row("read refused", "--fault nak:every", O::ReadName, L::BadReply, 2, "Error linesize\n6 8");
        row("read other address", "--fault wrongaddr:every", O::ReadSize, L::BadReply, 2, "Error Id\n-55");
        row("write other address", "--fault wrongaddr:1", O::WriteSize, L::Ok, 1);
        row("read line short", "--fault short:every", O::ReadLine, L::BadReply, 2, "Error linesize\n19 20");
        row("read after noise", "--fault garbage:every", O::ReadLine, L::Ok, 1, "line=#C800B1");
        row("read in pieces", "--fault split:every", O::ReadLine, L::Ok, 1, "line+");
        row("device hangs up", "--fault hangup:1", O::ReadSize, L::NoReply, 1);
        // The echo is dropped; a damaged reply after it fails the attempt, and an echo alone is no reply.
        row("echo, then bad crc", "--echo --fault badcrc:1", O::ReadSize, L::Ok, 2, "Echo\n");
        row("echo, then nothing", "--echo --fault drop:every", O::ReadSize, L::NoReply, 2, "Echo\n");
        row("echo, then nothing on a write", "--echo --fault drop:every", O::WriteSize, L::NoReply, 3, "Echo\n");
    }

    void faults()
    {
        QFETCH(QStringList, args);
        QFETCH(Operation, operation);
        QFETCH(LinkResult, result);
        Session s;
        QVERIFY(s.open(args));
        LinkResult got = LinkResult::Ok;
        int count = -1;
        QString name;
        R record{1, 2, 3};
        switch (operation) {
        case Operation::ReadSize: got = s.link.readProgramSize(0, count, 1, ReadFunction); break;
        case Operation::ReadName: got = s.link.readProgramName(0, name, 1, ReadFunction); break;
        case Operation::ReadLine: got = s.link.readProgramLine(0, record, 99, 1, ReadFunction); break;
        case Operation::WriteSize: got = s.link.writeProgramSize(0, 5, 0, WriteFunction); break;
        }
        QCOMPARE(got, result);
        if (got == LinkResult::Ok && operation == Operation::ReadSize)
            QCOMPARE(count, 0);
        if (got == LinkResult::Ok && operation == Operation::ReadLine)
            QCOMPARE(record, R());
        s.emulator.stop();
        QTEST(s.emulator.requestCount(), "requests");
        QFETCH(QByteArray, trace);
        QVERIFY2(s.trace.data().contains(trace), s.trace.data().toPercentEncoding(" #=+\n").constData());
    }

    void staleReplyIsNotTaken()
    {
        // The first reply comes after the first request has given up, and is
        // waiting in the port when the second request goes out; the device
        // never answers the second one.
        Session s;
        QVERIFY(s.open({"--fault", "delay:1:300", "--fault", "drop:2"}));
        QByteArray out;
        int count = 0;
        QCOMPARE(s.link.query(out, count, 0, 0xB4, 4, CommandTimeLimitMs, ReadFunction), LinkResult::NoReply);
        QThread::msleep(250);
        QCOMPARE(s.link.query(out, count, 0, 0xB8, 8, CommandTimeLimitMs, ReadFunction), LinkResult::NoReply);
        QCOMPARE(s.link.query(out, count, 0, 0xB8, 8, CommandTimeLimitMs, ReadFunction), LinkResult::Ok);
        QCOMPARE(out.mid(2, 1), QByteArray("\xB8"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
