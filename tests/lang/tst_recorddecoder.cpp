#include <QtTest>

#include <climits>

#include "lang/compiler.h"
#include "lang/recorddecoder.h"
#include "lang/statementcode.h"

using R = InstructionRecord;
using Records = QVector<InstructionRecord>;
Q_DECLARE_METATYPE(Records)
Q_DECLARE_METATYPE(InstructionRecord)

class TestRecordDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void image_data();
    void image();
    void writePayload();
};

void TestRecordDecoder::decode_data()
{
    QTest::addColumn<Records>("records");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("lines"); // the source lines, or the one message

    const QString header = QStringLiteral("prgName = \"Prg1\";");
    auto row = [](const char *tag, const Records &records, const QStringList &lines,
                  const QString &name = QStringLiteral("Prg1 ")) {
        QTest::newRow(tag) << records << name << lines;
    };
    row("worked example",
        {R{Label, 0, 1}, R{Assign, 0, 100}, R{If, 0x80, 6, 2, 0, 4}, R{DelayMs, 0, 500}, R{Label, 0, 2}, R{Jmp, 0, 0}},
        {"prgName = \"Test\";", "", "#1;", "Us = 100;", "if Us < M1 #1 else #2;", "delay_ms 500;", "#2;", "jmp #1;"},
        "Test ");
    row("every statement text, comparison and source kind",
        {R{Nop}, R{Assign, 0x86, 5}, R{SubAssign, 3, -5}, R{MulAssign, 0x8E, 7}, R{AddAssign, 0x15, 1},
         R{DivAssign, 0x13, 2}, R{DelayS, 0, 2}, R{Label, 0, 12}, R{If, 3, -5, 5, 7, 0}, R{If, 0, 1, 0, 7, -3},
         R{If, 0x81, 7, 1, 7, 0}, R{If, 0, INT_MIN, 3, 7, 0}, R{If, 0, INT_MAX, 4, 7, 7}, R{Assign, 0x40, 6},
         R{Assign, 0xC0, 18}, R{DelayMs, 0, INT_MAX}},
        {header, "", "nop;", "M1 = Ro;", "Io -= -5;", "T1 *= M2;", "K1 += 1;", "ExOut /= 2;", "delay_s 2;", "#12;",
         "if Io >= -5 #12;", "if Us == 1 #12;", "if Uo != M2 #12;", "if Us <= -2147483648 #12;",
         "if Us > 2147483647 #12 else #12;", "Us = M1;", "Us = ExIn;", "delay_ms 2147483647;"});
    row("name loses surrounding spaces only", {R{Nop}}, {QString::fromUtf8("prgName = \"A\0b\";", 16), "", "nop;"},
        QString::fromUtf8("  A\0b ", 6));
    row("line breaks inside the name stay on the header line", {R{Nop}}, {"prgName = \"A B C\";", "", "nop;"},
        "A\nB\rC");
    // Failures: the first check that applies, label pass before references,
    // references in record order, and all of them before the text.
    row("duplicate label before a bad jump", {R{Jmp, 0, 99}, R{Label, 0, 7}, R{Label, 0, 7}},
        {"error: повтор ссылки #7"});
    row("then-target negative", {R{Label}, R{If, 0, 0, 0, -1, 0}}, {"error: некорректная ссылка if"});
    row("then-target not a label", {R{Nop}, R{If, 0, 0, 0, 0, 0}}, {"error: некорректная ссылка #"});
    row("else-target past the end", {R{Label, 0, 1}, R{If, 0, 0, 0, 0, 2}}, {"error: некорректная ссылка if-else"});
    row("else-target not a label", {R{Label, 0, 1}, R{Assign}, R{If, 0, 0, 0, 0, 1}},
        {"error: некорректная ссылка else #"});
    row("else-target on label 0 cannot be written back", {R{Label, 0, 1}, R{Label, 0, 0}, R{If, 0, 0, 0, 0, 1}},
        {"error: некорректная ссылка else #"});
    row("jump negative", {R{Label}, R{Jmp, 0, INT_MIN}}, {"error: некорректная ссылка jmp"});
    row("jump to itself", {R{Jmp, 0, 0}}, {"error: некорректная ссылка jmp #"});
    row("checks run in record order", {R{Jmp, 0, 5}, R{If, 0, 0, 0, 9, 9}}, {"error: некорректная ссылка jmp"});
    row("unknown command stops", {R{Nop}, R{11}, R{200}}, {"error: неизвестная команда 11"});
    row("reference error wins over unknown command", {R{12}, R{Jmp, 0, 0}}, {"error: некорректная ссылка jmp #"});
}

void TestRecordDecoder::decode()
{
    QFETCH(Records, records);
    QFETCH(QString, name);
    QFETCH(QStringList, lines);
    const DecodedProgram out = decodeProgram(records, name, makeOperandCodes(), makeComparisonCodes());
    QCOMPARE(out.ok, lines.size() > 1);
    QCOMPARE(out.ok ? out.lines : QStringList{out.message}, lines);
    QCOMPARE(out.ok ? out.message : out.lines.join(QString()), QString());
    // And back: the text compiles to records that decode to the same text.
    if (out.ok) {
        const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
        const CompileResult again = compiler.compile(out.lines.mid(1).join(QLatin1Char('\n')));
        QCOMPARE(decodeProgram(again.records, name, makeOperandCodes(), makeComparisonCodes()).lines, lines);
    }
}

void TestRecordDecoder::image_data()
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

void TestRecordDecoder::image()
{
    QFETCH(InstructionRecord, record);
    QFETCH(QByteArray, hex);
    QCOMPARE(record.toImage().toHex().toUpper(), hex);
    QCOMPARE(R::fromImage(QByteArray::fromHex(hex)), record);
    QTEST(record.listingLine(), "listing");
    // A short image reads its missing bytes as zero.
    QCOMPARE(R::fromImage(QByteArray::fromHex(hex).left(3)), (R{record.func, record.oper, quint8(record.arg1)}));
}

void TestRecordDecoder::writePayload()
{
    const R r{3, 0, 7};
    QCOMPARE(r.writePayload(3), r.toImage() + '\x03');
    QCOMPARE(r.writePayload(257), r.toImage() + '\x01');
}

QTEST_APPLESS_MAIN(TestRecordDecoder)
#include "tst_recorddecoder.moc"
