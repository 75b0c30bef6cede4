#include <QBuffer>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include "emulatorprocess.h"
#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"

Q_DECLARE_METATYPE(LinkResult)

namespace {

enum class Operation { ReadSize, ReadName, ReadLine, WriteSize };

InstructionRecord record(int func, int oper, qint32 a1, qint32 a2 = 0, qint16 a3 = 0, qint16 a4 = 0)
{
    InstructionRecord r;
    r.func = quint8(func);
    r.oper = quint8(oper);
    r.arg1 = a1;
    r.arg2 = a2;
    r.arg3 = a3;
    r.arg4 = a4;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Operation)

// The link against the emulated device over a real pseudo-terminal.
class TestDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void faults_data();
    void faults();
    void staleReplyIsNotTaken();
    void roundTrip_data();
    void roundTrip();
    void cellClamping_data();
    void cellClamping();
    void closedPortGivesNoReplyAtOnce();

private:
    struct Session
    {
        EmulatorProcess emulator;
        DeviceLink link;
        QBuffer trace;
    };
    static bool open(Session &s, const QStringList &args);
};

bool TestDeviceLink::open(Session &s, const QStringList &args)
{
    if (!s.emulator.start(args))
        return false;
    s.trace.open(QIODevice::ReadWrite);
    s.link.setTraceDevice(&s.trace);
    s.link.setPort(&s.emulator.port());
    return true;
}

void TestDeviceLink::faults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<LinkResult>("result");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QByteArray>("trace");

    using L = LinkResult;
    using O = Operation;
    const auto args = [](const char *a) { return QString::fromLatin1(a).split(' ', Qt::SkipEmptyParts); };
    QTest::newRow("clean read") << args("") << O::ReadSize << L::Ok << 1 << QByteArray("LineCode = #C800B502");
    QTest::newRow("clean write") << args("") << O::WriteSize << L::Ok << 1 << QByteArray("#C800B41F");
    QTest::newRow("read dropped once, retried") << args("--fault drop:1") << O::ReadSize << L::Ok << 2 << QByteArray();
    QTest::newRow("read never answered") << args("--fault drop:every") << O::ReadSize << L::NoReply << 2 << QByteArray("Call GetLine");
    QTest::newRow("write dropped twice") << args("--fault drop:1 --fault drop:2") << O::WriteSize << L::Ok << 3 << QByteArray();
    QTest::newRow("write never answered") << args("--fault drop:every") << O::WriteSize << L::NoReply << 3 << QByteArray();
    QTest::newRow("read too late") << args("--fault delay:every:600") << O::ReadSize << L::NoReply << 2 << QByteArray();
    QTest::newRow("read late but in time") << args("--fault delay:1:120") << O::ReadSize << L::Ok << 1 << QByteArray();
    QTest::newRow("read bad crc") << args("--fault badcrc:every") << O::ReadSize << L::BadReply << 2 << QByteArray("Error crc\n");
    QTest::newRow("read bad crc once") << args("--fault badcrc:1") << O::ReadSize << L::Ok << 2 << QByteArray("Error crc\n");
    QTest::newRow("write bad crc, no retry") << args("--fault badcrc:1") << O::WriteSize << L::BadReply << 1 << QByteArray();
    QTest::newRow("write refused, no retry") << args("--fault nak:1") << O::WriteSize << L::BadReply << 1 << QByteArray();
    QTest::newRow("read refused") << args("--fault nak:every") << O::ReadName << L::BadReply << 2 << QByteArray("Error linesize\n6 8");
    QTest::newRow("read lower case") << args("--fault lowercase:every") << O::ReadSize << L::BadReply << 2 << QByteArray("Error crc\n");
    QTest::newRow("write lower case") << args("--fault lowercase:1") << O::WriteSize << L::BadReply << 1 << QByteArray();
    QTest::newRow("read other address") << args("--fault wrongaddr:every") << O::ReadSize << L::BadReply << 2 << QByteArray("Error Id\n-55");
    QTest::newRow("write other address") << args("--fault wrongaddr:1") << O::WriteSize << L::Ok << 1 << QByteArray();
    QTest::newRow("read line short") << args("--fault short:every") << O::ReadLine << L::BadReply << 2 << QByteArray("Error linesize\n19 20");
    QTest::newRow("read name short") << args("--fault short:every") << O::ReadName << L::BadReply << 2 << QByteArray("Error linesize\n10 11");
    QTest::newRow("write short") << args("--fault short:1") << O::WriteSize << L::BadReply << 1 << QByteArray();
    QTest::newRow("read after noise") << args("--fault garbage:every") << O::ReadLine << L::Ok << 1 << QByteArray("line=#C800B1");
    QTest::newRow("read in pieces") << args("--fault split:every") << O::ReadLine << L::Ok << 1 << QByteArray("line+");
    QTest::newRow("write in pieces after noise") << args("--fault split:1 --fault garbage:1") << O::WriteSize << L::Ok << 1 << QByteArray();
    QTest::newRow("other slave address") << args("--address 7") << O::ReadSize << L::NoReply << 2 << QByteArray();
    QTest::newRow("device hangs up") << args("--fault hangup:1") << O::ReadSize << L::NoReply << 1 << QByteArray();
    QTest::newRow("paced line") << args("--pace") << O::ReadLine << L::Ok << 1 << QByteArray();
}

void TestDeviceLink::faults()
{
    QFETCH(QStringList, args);
    QFETCH(Operation, operation);
    QFETCH(LinkResult, result);
    QFETCH(int, requests);
    QFETCH(QByteArray, trace);

    Session s;
    QVERIFY(open(s, args));
    LinkResult got = LinkResult::Ok;
    QElapsedTimer clock;
    clock.start();
    switch (operation) {
    case Operation::ReadSize: {
        int count = -1;
        got = s.link.readProgramSize(0, count, 1, ReadFunction);
        if (got == LinkResult::Ok)
            QCOMPARE(count, 0);
        break;
    }
    case Operation::ReadName: {
        QString name;
        got = s.link.readProgramName(0, name, 1, ReadFunction);
        break;
    }
    case Operation::ReadLine: {
        InstructionRecord r = record(1, 2, 3);
        got = s.link.readProgramLine(0, r, 99, 1, ReadFunction);
        if (got == LinkResult::Ok)
            QCOMPARE(r, InstructionRecord());
        break;
    }
    case Operation::WriteSize:
        got = s.link.writeProgramSize(0, 5, 0, WriteFunction);
        break;
    }
    // Only a hang guard: three time limits and the pauses of the faults fit well within it.
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(got, result);
    s.emulator.stop();
    QCOMPARE(s.emulator.requestCount(), requests);
    QVERIFY2(s.trace.data().contains(trace), s.trace.data().toPercentEncoding(" #=+\n").constData());
}

void TestDeviceLink::staleReplyIsNotTaken()
{
    // The first reply comes after the first request has given up, and is
    // waiting in the port when the second request goes out; the device
    // never answers the second one.
    Session s;
    QVERIFY(open(s, {"--fault", "delay:1:300", "--fault", "drop:2"}));
    QByteArray out;
    int count = 0;
    QCOMPARE(s.link.query(out, count, 0, 0xB4, 4, CommandTimeLimitMs, ReadFunction), LinkResult::NoReply);
    QThread::msleep(250);
    QCOMPARE(s.link.query(out, count, 0, 0xB8, 8, CommandTimeLimitMs, ReadFunction), LinkResult::NoReply);
    QCOMPARE(s.link.query(out, count, 0, 0xB8, 8, CommandTimeLimitMs, ReadFunction), LinkResult::Ok);
    QCOMPARE(out.mid(2, 1), QByteArray("\xB8"));
}

void TestDeviceLink::roundTrip_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("readName");

    QTest::newRow("cell 0") << 0 << QStringLiteral("Prg1") << QStringLiteral("Prg1 ");
    QTest::newRow("cell 1") << 1 << QString() << QStringLiteral("     ");
    QTest::newRow("cell 2") << 2 << QStringLiteral("Тест5") << QString(QString(4, QChar(0)) + QStringLiteral("5"));
    QTest::newRow("cell 3") << 3 << QStringLiteral("ABCDEFG") << QStringLiteral("ABCDE");
}

void TestDeviceLink::roundTrip()
{
    QFETCH(int, cell);
    QFETCH(QString, name);
    QFETCH(QString, readName);

    Session s;
    QVERIFY(open(s, {"--address", "255"}));
    const QList<InstructionRecord> program = {
        record(10, 0, 1), record(1, 0x86, cell), record(2, 0x80, 7, 5, 0, 3),
        record(1, 0x13, INT_MIN, INT_MAX, SHRT_MIN, SHRT_MAX), record(3, 0, 0),
    };
    const int first = cell * 10; // places the program apart from the other cells' indexes
    for (int i = 0; i < program.size(); ++i)
        QCOMPARE(s.link.writeProgramLine(255, program.at(i), first + i, cell, WriteFunction), LinkResult::Ok);
    QCOMPARE(s.link.writeProgramSize(255, program.size() + cell, cell, WriteFunction), LinkResult::Ok);
    QCOMPARE(s.link.writeProgramName(255, name, cell, WriteFunction), LinkResult::Ok);

    for (int other = 0; other < 4; ++other) {
        int count = -1;
        QCOMPARE(s.link.readProgramSize(255, count, other, ReadFunction), LinkResult::Ok);
        QCOMPARE(count, other == cell ? program.size() + cell : 0);
        QString got;
        QCOMPARE(s.link.readProgramName(255, got, other, ReadFunction), LinkResult::Ok);
        QCOMPARE(got, other == cell ? readName : QStringLiteral("     "));
        for (int i = 0; i < program.size(); ++i) {
            InstructionRecord r;
            QCOMPARE(s.link.readProgramLine(255, r, first + i, other, ReadFunction), LinkResult::Ok);
            QCOMPARE(r, other == cell ? program.at(i) : InstructionRecord());
        }
    }
    // Writes the device cannot store are not acknowledged.
    QCOMPARE(s.link.writeProgramLine(255, program.first(), 100, cell, WriteFunction), LinkResult::BadReply);
    QCOMPARE(s.link.writeProgramSize(255, 101, cell, WriteFunction), LinkResult::BadReply);
}

void TestDeviceLink::cellClamping_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("storedIn");

    QTest::newRow("negative") << -5 << 0;
    QTest::newRow("four") << 4 << 3;
    QTest::newRow("large") << 1000 << 3;
}

void TestDeviceLink::cellClamping()
{
    QFETCH(int, cell);
    QFETCH(int, storedIn);
    Session s;
    QVERIFY(open(s, {}));
    QCOMPARE(s.link.writeProgramName(0, QStringLiteral("Clamp"), cell, WriteFunction), LinkResult::Ok);
    QString name;
    QCOMPARE(s.link.readProgramName(0, name, storedIn, ReadFunction), LinkResult::Ok);
    QCOMPARE(name, QStringLiteral("Clamp"));
}

void TestDeviceLink::closedPortGivesNoReplyAtOnce()
{
    QSerialPort port(QStringLiteral("/nonexistent/port"));
    DeviceLink link;
    link.setTraceDevice(nullptr);
    link.setPort(&port);
    int count = -1;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(link.readProgramSize(0, count, 0, ReadFunction), LinkResult::NoReply);
    QCOMPARE(link.writeProgramSize(0, 1, 0, WriteFunction), LinkResult::NoReply);
    QCOMPARE(count, -1);
    QVERIFY(clock.elapsed() < CommandTimeLimitMs);
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
