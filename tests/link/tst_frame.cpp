#include <QtTest>

#include "link/devicecommands.h"
#include "link/frame.h"

Q_DECLARE_METATYPE(LinkResult)

namespace {

// A reply frame as the device sends it: bytes, their CRC, upper-case hex.
QByteArray replyFrame(const QByteArray &body)
{
    const quint16 crc = crc16(body);
    return '#' + (body + char(crc >> 8) + char(crc & 0xFF)).toHex().toUpper() + '\r';
}

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void crcCheckValue();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void queryChecks_data();
    void queryChecks();
    void commandChecks_data();
    void commandChecks();
    void oneChangedDigitNeverPasses();
    void registers_data();
    void registers();
    void nameEncoding_data();
    void nameEncoding();
    void nameDecoding_data();
    void nameDecoding();
};

void TestFrame::crcCheckValue()
{
    QCOMPARE(crc16("123456789"), quint16(0x29B1));
    const QByteArray body = bytes("01C8B402");
    QCOMPARE(crc16(body), quint16(0x8FA9));
    QCOMPARE(crc16(body + bytes("8FA9")), quint16(0));
}

void TestFrame::encode_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("function");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("worked example") << 1 << 0xB4 << 0x02 << QByteArray() << QByteArray("#01C8B4028FA9\r");
    const QByteArray body = bytes("FFC8B112") + "\x05";
    QTest::newRow("one data byte") << 255 << 0xB1 << 0x12 << QByteArray("\x05")
                                   << replyFrame(body);
}

void TestFrame::encode()
{
    QFETCH(int, destination);
    QFETCH(int, reg);
    QFETCH(int, function);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    QCOMPARE(encodeFrame(FrameSettings(), quint8(destination), quint8(reg), quint8(function), data),
             frame);
}

void TestFrame::decode_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("decoded");

    QTest::newRow("plain") << QByteArray("#C800B4\r") << 3 << bytes("C800B4");
    QTest::newRow("noise before") << QByteArray("x\x00#\r#0A0B\r", 10) << 0 << QByteArray();
    QTest::newRow("noise then frame") << QByteArray("ab1#0A0B\rzz") << 2 << bytes("0A0B");
    QTest::newRow("no start") << QByteArray("0A0B\r") << -1 << QByteArray();
    QTest::newRow("no end") << QByteArray("#0A0B") << 0 << QByteArray();
    QTest::newRow("lower case") << QByteArray("#0a0B\r") << -1 << QByteArray();
    QTest::newRow("odd count") << QByteArray("#0A0\r") << -1 << QByteArray();
    QTest::newRow("space") << QByteArray("#0A 0\r") << -1 << QByteArray();
    QTest::newRow("overlong") << '#' + QByteArray(512, 'A') + '\r' << -1 << QByteArray();
}

void TestFrame::decode()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, count);
    QFETCH(QByteArray, decoded);
    QByteArray out;
    QCOMPARE(decodeReply(FrameSettings(), raw, out), count);
    if (count >= 0)
        QCOMPARE(out, decoded);
}

void TestFrame::queryChecks_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("minLength");
    QTest::addColumn<LinkResult>("result");
    QTest::addColumn<QByteArray>("trace");

    const QByteArray size = replyFrame(bytes("C800B40207"));
    QTest::newRow("intact") << size << 4 << LinkResult::Ok << QByteArray();
    QTest::newRow("short before crc") << replyFrame(bytes("C800B00200000000000000000000")) << 17
                                      << LinkResult::BadReply << QByteArray("Error linesize\n16 17");
    QByteArray damaged = size;
    damaged[damaged.size() - 2] = damaged.at(damaged.size() - 2) == '0' ? '1' : '0';
    QTest::newRow("bad crc") << damaged << 4 << LinkResult::BadReply << QByteArray("Error crc\n");
    QTest::newRow("lower case") << size.toLower() << 4 << LinkResult::BadReply
                                << QByteArray("Error crc\n");
    QTest::newRow("empty frame") << QByteArray("#\r") << 0 << LinkResult::BadReply
                                 << QByteArray("Error crc\n");
    QTest::newRow("other address") << replyFrame(bytes("C900B40207")) << 4 << LinkResult::BadReply
                                   << QByteArray("Error Id\n-55");
    QTest::newRow("address below 128") << replyFrame(bytes("0500B40207")) << 4
                                       << LinkResult::BadReply << QByteArray("Error Id\n5");
}

void TestFrame::queryChecks()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, minLength);
    QFETCH(LinkResult, result);
    QFETCH(QByteArray, trace);
    QByteArray out;
    int count = -1;
    QByteArray traced;
    QCOMPARE(checkQueryReply(FrameSettings(), raw, minLength, out, count, &traced), result);
    QCOMPARE(traced, trace);
    if (result == LinkResult::Ok)
        QCOMPARE(count, out.size());
}

void TestFrame::commandChecks_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<LinkResult>("result");

    QTest::newRow("acknowledged") << replyFrame(bytes("C800B41F")) << LinkResult::Ok;
    QTest::newRow("other address still acknowledged") << replyFrame(bytes("0700B41F")) << LinkResult::Ok;
    QTest::newRow("refused") << replyFrame(bytes("C800B492")) << LinkResult::BadReply;
    QTest::newRow("too short for a status") << replyFrame(bytes("C800B4")) << LinkResult::BadReply;
    QTest::newRow("bad crc") << QByteArray("#C800B41F0000\r") << LinkResult::BadReply;
    QTest::newRow("empty") << QByteArray("#\r") << LinkResult::BadReply;
    QTest::newRow("lower case") << replyFrame(bytes("C800BA1F")).toLower() << LinkResult::BadReply;
}

void TestFrame::commandChecks()
{
    QFETCH(QByteArray, raw);
    QFETCH(LinkResult, result);
    QCOMPARE(checkCommandReply(FrameSettings(), raw), result);
}

void TestFrame::oneChangedDigitNeverPasses()
{
    const QByteArray record = replyFrame(bytes("C800B002") + QByteArray::fromHex("0186FFFFFFFF05000000030002FF"));
    const QByteArray ack = replyFrame(bytes("C800B01F"));
    const QByteArray replacements("0123456789ABCDEFabcdef");
    for (const QByteArray &valid : {record, ack}) {
        QByteArray out;
        int count = 0;
        QCOMPARE(checkQueryReply(FrameSettings(), valid, 4, out, count), LinkResult::Ok);
        QCOMPARE(checkCommandReply(FrameSettings(), valid),
                 valid == ack ? LinkResult::Ok : LinkResult::BadReply);
        for (int i = 1; i < valid.size() - 1; ++i) {
            for (const char c : replacements) {
                if (c == valid.at(i))
                    continue;
                QByteArray changed = valid;
                changed[i] = c;
                QVERIFY2(checkQueryReply(FrameSettings(), changed, 4, out, count) != LinkResult::Ok,
                         changed.constData());
                QVERIFY2(checkCommandReply(FrameSettings(), changed) != LinkResult::Ok,
                         changed.constData());
            }
        }
    }
}

void TestFrame::registers_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("name");

    QTest::newRow("cell 0") << 0 << 0xB0 << 0xB4 << 0xB8;
    QTest::newRow("cell 2") << 2 << 0xB2 << 0xB6 << 0xBA;
    QTest::newRow("cell 3") << 3 << 0xB3 << 0xB7 << 0xBB;
    QTest::newRow("negative clamps to 0") << -1 << 0xB0 << 0xB4 << 0xB8;
    QTest::newRow("above 3 clamps to 3") << 9 << 0xB3 << 0xB7 << 0xBB;
}

void TestFrame::registers()
{
    QFETCH(int, cell);
    QFETCH(int, lines);
    QFETCH(int, size);
    QFETCH(int, name);
    QCOMPARE(int(programRegister(ProgramLinesRegister, cell)), lines);
    QCOMPARE(int(programRegister(ProgramSizeRegister, cell)), size);
    QCOMPARE(int(programRegister(ProgramNameRegister, cell)), name);
}

void TestFrame::nameEncoding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("Prg1") << QStringLiteral("Prg1") << bytes("5072673120");
    QTest::newRow("empty") << QString() << QByteArray("     ");
    QTest::newRow("cyrillic") << QStringLiteral("П1") << QByteArray("\0" "1   ", 5);
    QTest::newRow("latin-1") << QStringLiteral("\u00e9abcdef") << QByteArray("\xe9" "abcd");
}

void TestFrame::nameEncoding()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, sent);
    QCOMPARE(encodeProgramName(name), sent);
}

void TestFrame::nameDecoding_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("after");

    QTest::newRow("trailing spaces kept") << QString() << QByteArray("AB   ") << QStringLiteral("AB   ");
    QTest::newRow("longer keeps tail") << QStringLiteral("1234567") << QByteArray("xyz\xe9 ")
                                       << QStringLiteral("xyz\u00e9 67");
    QTest::newRow("missing bytes read as 0") << QStringLiteral("ab") << QByteArray("Q")
                                             << QString(QStringLiteral("Q") + QString(4, QChar(0)));
}

void TestFrame::nameDecoding()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, received);
    QFETCH(QString, after);
    applyProgramName(before, received);
    QCOMPARE(before, after);
}

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
