#include <QtTest>

#include "link/devicecommands.h"
#include "link/echofilter.h"
#include "link/frame.h"

Q_DECLARE_METATYPE(LinkResult)
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

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
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
        // Longer than any frame, though its check digits and address are right.
        row("overlong", replyFrame("C8" + QByteArray(508, '0')), 0, L::BadReply, "Error crc\n");
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

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
