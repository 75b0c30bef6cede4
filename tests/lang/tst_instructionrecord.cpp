#include <QtTest>

#include <climits>

#include "lang/instructionrecord.h"

using R = InstructionRecord;
Q_DECLARE_METATYPE(InstructionRecord)

class TestInstructionRecord : public QObject
{
    Q_OBJECT

private slots:
    void image_data();
    void image();
    void writePayload();
};

void TestInstructionRecord::image_data()
{
    QTest::addColumn<InstructionRecord>("record");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("listing");

    QTest::newRow("Us = -1") << R{1, 0, -1} << QByteArray("0100FFFFFFFF0000000000000000")
                             << ">func:1 oper:0 arg1:-1 arg3:0 arg3:0 arg4:0";
    QTest::newRow("M8 *= T1") << R{9, 0x8D, 14} << QByteArray("098D0E0000000000000000000000")
                              << ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0";
    QTest::newRow("signed extremes") << R{2, 0x13, INT_MIN, INT_MAX, SHRT_MIN, -2}
                                     << QByteArray("021300000080FFFFFF7F0080FEFF")
                                     << ">func:2 oper:13 arg1:-2147483648 arg3:2147483647 arg3:-32768 arg4:-2";
}

void TestInstructionRecord::image()
{
    QFETCH(InstructionRecord, record);
    QFETCH(QByteArray, hex);
    QCOMPARE(record.toImage().toHex().toUpper(), hex);
    QCOMPARE(R::fromImage(QByteArray::fromHex(hex)), record);
    QTEST(record.listingLine(), "listing");
    // A short image reads its missing bytes as zero.
    QCOMPARE(R::fromImage(QByteArray::fromHex(hex).left(3)), (R{record.func, record.oper, quint8(record.arg1)}));
}

void TestInstructionRecord::writePayload()
{
    const R r{3, 0, 7};
    QCOMPARE(r.writePayload(3), r.toImage() + '\x03');
    QCOMPARE(r.writePayload(257), r.toImage() + '\x01');
}

QTEST_GUILESS_MAIN(TestInstructionRecord)
#include "tst_instructionrecord.moc"
