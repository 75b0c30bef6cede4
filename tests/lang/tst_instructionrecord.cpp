#include <QRandomGenerator>
#include <QtTest>

#include "lang/instructionrecord.h"

class TestInstructionRecord : public QObject
{
    Q_OBJECT

private slots:
    void image_data();
    void image();
    void listing_data();
    void listing();
    void writePayload();
    void unpackPackIsIdentity();
};

Q_DECLARE_METATYPE(InstructionRecord)

static InstructionRecord rec(int func, int oper, qint32 a1, qint32 a2 = 0, qint16 a3 = 0, qint16 a4 = 0)
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

void TestInstructionRecord::image_data()
{
    QTest::addColumn<InstructionRecord>("record");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("nop") << InstructionRecord() << QByteArray("0000000000000000000000000000");
    QTest::newRow("Us = 100") << rec(1, 0, 100) << QByteArray("0100640000000000000000000000");
    QTest::newRow("Us = -1") << rec(1, 0, -1) << QByteArray("0100FFFFFFFF0000000000000000");
    QTest::newRow("M8 *= T1") << rec(9, 0x8D, 14) << QByteArray("098D0E0000000000000000000000");
    QTest::newRow("if all fields") << rec(2, 0x80, 0x01020304, 5, 0x0A0B, -2)
                                   << QByteArray("02800403020105000000 0B0A FEFF").replace(" ", "");
    QTest::newRow("extremes") << rec(1, 0x13, INT_MIN, INT_MAX, SHRT_MIN, SHRT_MAX)
                              << QByteArray("011300000080FFFFFF7F0080FF7F");
}

void TestInstructionRecord::image()
{
    QFETCH(InstructionRecord, record);
    QFETCH(QByteArray, hex);
    const QByteArray image = record.toImage();
    QCOMPARE(image.size(), InstructionRecord::ImageSize);
    QCOMPARE(image.toHex().toUpper(), hex);
    QVERIFY(InstructionRecord::fromImage(image) == record);
}

void TestInstructionRecord::listing_data()
{
    QTest::addColumn<InstructionRecord>("record");
    QTest::addColumn<QString>("line");

    QTest::newRow("assign") << rec(1, 0, 100) << ">func:1 oper:0 arg1:100 arg3:0 arg3:0 arg4:0";
    QTest::newRow("operand source") << rec(9, 0x8D, 14) << ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0";
    QTest::newRow("signed fields") << rec(2, 0xC0, -5, 3, -1, -32768)
                                   << ">func:2 oper:C0 arg1:-5 arg3:3 arg3:-1 arg4:-32768";
}

void TestInstructionRecord::listing()
{
    QFETCH(InstructionRecord, record);
    QFETCH(QString, line);
    QCOMPARE(record.listingLine(), line);
}

void TestInstructionRecord::writePayload()
{
    const InstructionRecord r = rec(3, 0, 7);
    QByteArray payload = r.writePayload(3);
    QCOMPARE(payload.size(), 15);
    QCOMPARE(payload.left(14), r.toImage());
    QCOMPARE(quint8(payload.at(14)), quint8(3));
    QCOMPARE(quint8(r.writePayload(257).at(14)), quint8(1));
}

void TestInstructionRecord::unpackPackIsIdentity()
{
    QRandomGenerator gen(12345);
    for (int i = 0; i < 10000; ++i) {
        QByteArray image(InstructionRecord::ImageSize, '\0');
        for (char &c : image)
            c = char(gen.bounded(256));
        QCOMPARE(InstructionRecord::fromImage(image).toImage(), image);
    }
    // A short image reads its missing bytes as zero.
    QVERIFY(InstructionRecord::fromImage(QByteArray::fromHex("0A00")) == rec(10, 0, 0));
}

QTEST_GUILESS_MAIN(TestInstructionRecord)
#include "tst_instructionrecord.moc"
