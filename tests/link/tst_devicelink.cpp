#include <QBuffer>
#include <QThread>
#include <QtTest>

#include "emulatorprocess.h"
#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"
#include "link/echofilter.h"
#include "link/frame.h"

using R = InstructionRecord;
enum class Operation { ReadSize, ReadName, ReadLine, WriteSize };
Q_DECLARE_METATYPE(LinkResult)
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(EchoFilter::Head)

namespace {

// A reply frame as the device sends it: bytes, their CRC, upper-case hex.
QByteArray replyFrame(const QByteArray &hex)
{
    QByteArray body = QByteArray::fromHex(hex);
    const quint16 crc = crc16(body);
    body += char(crc >> 8);
    body += char(crc & 0xFF);
    return '#' + body.toHex().toUpper() + '\r';
}

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

// The link: its frames and reply checks, and the link against the emulated
// device over a real pseudo-terminal.
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
        row("read other address", "--fault wrongaddr:every", O::ReadSize, L::BadReply, 2, "Error Id\n-55");
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

    void requestFrame()
    {
        QCOMPARE(crc16("123456789"), quint16(0x29B1));
        QCOMPARE(encodeFrame(FrameSettings(), 1, 0xB4, 0x02), QByteArray("#01C8B4028FA9\r"));
    }

    void queryChecks_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("minLength");
        QTest::addColumn<LinkResult>("result");
        QTest::addColumn<QByteArray>("trace");
        QTest::addColumn<LinkResult>("command"); // the same characters as a write's reply

        using L = LinkResult;
        const auto row = [](const char *tag, const QByteArray &raw, int minLength, L result, const char *trace,
                            L command = L::BadReply) {
            QTest::newRow(tag) << raw << minLength << result << QByteArray(trace) << command;
        };
        const QByteArray size = replyFrame("C800B40207");
        const QByteArray ack = replyFrame("C800B01F");
        QByteArray damaged = ack;
        damaged[damaged.size() - 2] = damaged.at(damaged.size() - 2) == '0' ? '1' : '0';
        row("acknowledgement", ack, 4, L::Ok, "", L::Ok);
        row("acknowledgement, other address", replyFrame("C900B01F"), 4, L::BadReply, "Error Id\n-55", L::Ok);
        row("intact, not an acknowledgement", size, 4, L::Ok, "");
        row("short before crc", replyFrame("C800B00200000000000000000000"), 17, L::BadReply, "Error linesize\n16 17");
        row("bad crc", damaged, 4, L::BadReply, "Error crc\n");
        row("empty frame", "#\r", 0, L::BadReply, "Error crc\n");
        row("noise before", QByteArray("a\0\r", 3) + size, 4, L::Ok, "");
        row("stray start before", "a#" + size, 4, L::BadReply, "Error crc\n");
        row("incomplete", size.left(6), 4, L::BadReply, "Error linesize\n0 4");
        // One byte longer than any frame, though its check digits and address are right.
        row("overlong", replyFrame("C8" + QByteArray(506, '0')), 0, L::BadReply, "Error crc\n");
    }

    void queryChecks()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, minLength);
        QByteArray out;
        int count = -1;
        QByteArray traced;
        QFETCH(LinkResult, result);
        QCOMPARE(checkQueryReply(FrameSettings(), raw, minLength, out, count, &traced), result);
        QTEST(traced, "trace");
        if (result == LinkResult::Ok)
            QCOMPARE(count, out.size());
        QTEST(checkCommandReply(FrameSettings(), raw), "command");
    }

    void registersAndNames()
    {
        // The cell is clamped to 0..3.
        QCOMPARE(programRegister(ProgramLinesRegister, -1), quint8(0xB0));
        QCOMPARE(programRegister(ProgramSizeRegister, 2), quint8(0xB6));
        QCOMPARE(programRegister(ProgramNameRegister, 9), quint8(0xBB));
        QCOMPARE(encodeProgramName(QStringLiteral("П1")), QByteArray("\0" "1   ", 5));
        QCOMPARE(encodeProgramName(QStringLiteral("\u00e9abcdef")), QByteArray("\xe9" "abcd"));
        // Read back into the first five characters; missing bytes read as 0.
        QString name = QStringLiteral("1234567");
        applyProgramName(name, QByteArray("xyz\xe9 "));
        QCOMPARE(name, QStringLiteral("xyz\u00e9 67"));
        name = QStringLiteral("ab");
        applyProgramName(name, QByteArray("Q"));
        QCOMPARE(name, QStringLiteral("Q") + QString(4, QChar(0)));
    }

    void echoHead_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<EchoFilter::Head>("head");
        QTest::addColumn<int>("length"); // of a dropped echo

        using H = EchoFilter::Head;
        const QByteArray sent = "#01C8B4028FA9\r";
        const QByteArray reply = replyFrame("C801B40205");
        QTest::newRow("echo, reply behind it") << sent << sent + reply << H::Echo << 14;
        QTest::newRow("reply") << sent << reply << H::Reply << -1;
        QTest::newRow("nothing sent yet") << QByteArray() << sent << H::Reply << -1;
        QTest::newRow("echo not yet whole") << sent << QByteArray("#01C8B402") << H::Incomplete << -1;
        QTest::newRow("two digits damaged") << sent << "#01C8B4038FA8\r" + reply << H::DamagedEcho << 14;
        QTest::newRow("three digits damaged") << sent << QByteArray("#01C8B5038FA8\r") << H::Reply << -1;
        QTest::newRow("end lost") << sent << "#01C8B4028FA9~" + reply << H::DamagedEcho << 14;
        QTest::newRow("cut after the addresses") << sent << "#01C8" + reply << H::DamagedEcho << 5;
        QTest::newRow("cut too short to tell") << sent << "#01C" + reply << H::Reply << -1;
        QTest::newRow("broken reply, end to come") << sent << QByteArray("#C801B4#C8") << H::Incomplete << -1;
    }

    void echoHead()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, buffer);
        int length = -1;
        QTEST(EchoFilter(FrameSettings(), request).classify(buffer, &length), "head");
        QTEST(length, "length");
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
