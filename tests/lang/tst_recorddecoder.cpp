#include <QtTest>

#include <climits>

#include "lang/recorddecoder.h"
#include "lang/statementcode.h"

namespace {

InstructionRecord rec(int func, int oper = 0, qint32 a1 = 0, qint32 a2 = 0, qint16 a3 = 0, qint16 a4 = 0)
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

using Records = QVector<InstructionRecord>;

} // namespace

Q_DECLARE_METATYPE(Records)

class TestRecordDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
};

void TestRecordDecoder::decode_data()
{
    QTest::addColumn<Records>("records");
    QTest::addColumn<QString>("name");
    // Lines after the header and the empty line (the header line itself when
    // the list starts with it), or the message.
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("message");

    const QString prg1 = QStringLiteral("Prg1 ");
    QTest::newRow("worked example")
        << Records{rec(Label, 0, 1), rec(Assign, 0, 100), rec(If, 0x80, 6, 2, 0, 4), rec(DelayMs, 0, 500),
                   rec(Label, 0, 2), rec(Jmp, 0, 0)}
        << "Test " << QStringList{"prgName = \"Test\";", "", "#1;", "Us = 100;", "if Us < M1 #1 else #2;", "delay_ms 500;", "#2;", "jmp #1;"}
        << QString();
    QTest::newRow("every statement text")
        << Records{rec(Nop), rec(Assign, 0x86, 5), rec(SubAssign, 3, -5), rec(MulAssign, 0x8E, 7),
                   rec(AddAssign, 0x15, 1), rec(DivAssign, 0x13, 2), rec(DelayS, 0, 2), rec(Label, 0, 12),
                   rec(If, 3, -5, 5, 7, 0), rec(If, 0, 1, 0, 7, -3)}
        << prg1
        << QStringList{"nop;", "M1 = Ro;", "Io -= -5;", "T1 *= M2;", "K1 += 1;", "ExOut /= 2;", "delay_s 2;",
                       "#12;", "if Io >= -5 #12;", "if Us == 1 #12;"}
        << QString();
    QTest::newRow("source kind bits") << Records{rec(Assign, 0x00, 6), rec(Assign, 0x40, 6), rec(Assign, 0xC0, 6)}
                                      << prg1 << QStringList{"Us = 6;", "Us = M1;", "Us = M1;"} << QString();
    QTest::newRow("unknown codes print empty")
        << Records{rec(Assign, 22, 5), rec(Assign, 0x80, 30)} << prg1 << QStringList{" = 5;", "Us = ;"} << QString();
    QTest::newRow("smallest number") << Records{rec(Assign, 0, INT_MIN)} << prg1 << QStringList{"Us = -2147483648;"}
                                     << QString();
    QTest::newRow("one nop") << Records{rec(Nop)} << prg1 << QStringList{"prgName = \"Prg1\";", "", "nop;"}
                             << QString();
    QTest::newRow("name loses surrounding spaces only")
        << Records{rec(Nop)} << QString::fromUtf8("  A\0b ", 6)
        << QStringList{QString::fromUtf8("prgName = \"A\0b\";", 16), "", "nop;"} << QString();
    QTest::newRow("line breaks inside the name stay on the header line")
        << Records{rec(Nop)} << "A\nB\rC" << QStringList{"prgName = \"A B C\";", "", "nop;"} << QString();
    QTest::newRow("name of spaces") << Records{rec(Nop)} << "     " << QStringList{"prgName = \"\";", "", "nop;"}
                                    << QString();
    QTest::newRow("duplicate label before a bad jump")
        << Records{rec(Jmp, 0, 99), rec(Label, 0, 7), rec(Label, 0, 7)} << prg1 << QStringList()
        << "error: повтор ссылки #7";
    QTest::newRow("then-target past the end") << Records{rec(Label), rec(If, 0, 0, 0, 2, 0)} << prg1 << QStringList()
                                              << "error: некорректная ссылка if";
    QTest::newRow("then-target negative") << Records{rec(Label), rec(If, 0, 0, 0, -1, 0)} << prg1 << QStringList()
                                          << "error: некорректная ссылка if";
    QTest::newRow("then-target not a label") << Records{rec(Nop), rec(If, 0, 0, 0, 0, 0)} << prg1 << QStringList()
                                             << "error: некорректная ссылка #";
    QTest::newRow("else-target past the end") << Records{rec(Label, 0, 1), rec(If, 0, 0, 0, 0, 2)} << prg1
                                              << QStringList() << "error: некорректная ссылка if-else";
    QTest::newRow("else-target not a label") << Records{rec(Label, 0, 1), rec(Assign), rec(If, 0, 0, 0, 0, 1)}
                                             << prg1 << QStringList() << "error: некорректная ссылка else #";
    QTest::newRow("else-target on label 0 cannot be written back")
        << Records{rec(Label, 0, 1), rec(Label, 0, 0), rec(If, 0, 0, 0, 0, 1)} << prg1 << QStringList()
        << "error: некорректная ссылка else #";
    QTest::newRow("jump past the end") << Records{rec(Jmp, 0, 1)} << prg1 << QStringList()
                                       << "error: некорректная ссылка jmp";
    QTest::newRow("jump negative") << Records{rec(Label), rec(Jmp, 0, INT_MIN)} << prg1 << QStringList()
                                   << "error: некорректная ссылка jmp";
    QTest::newRow("jump to itself") << Records{rec(Jmp, 0, 0)} << prg1 << QStringList()
                                    << "error: некорректная ссылка jmp #";
    QTest::newRow("checks run in record order")
        << Records{rec(Jmp, 0, 5), rec(If, 0, 0, 0, 9, 9)} << prg1 << QStringList()
        << "error: некорректная ссылка jmp";
    QTest::newRow("unknown command stops") << Records{rec(Nop), rec(11), rec(200)} << prg1 << QStringList()
                                           << "error: неизвестная команда 11";
    QTest::newRow("reference error wins over unknown command")
        << Records{rec(12), rec(Jmp, 0, 0)} << prg1 << QStringList() << "error: некорректная ссылка jmp #";
}

void TestRecordDecoder::decode()
{
    QFETCH(Records, records);
    QFETCH(QString, name);
    QFETCH(QStringList, lines);
    QFETCH(QString, message);

    const Records original = records;
    const DecodedProgram out = decodeProgram(records, name, makeOperandCodes(), makeComparisonCodes());
    QCOMPARE(records, original);
    if (message.isEmpty()) {
        QVERIFY2(out.ok, qPrintable(out.message));
        if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("prgName")))
            QCOMPARE(out.lines, lines);
        else
            QCOMPARE(out.lines, QStringList({"prgName = \"Prg1\";", ""}) + lines);
    } else {
        QVERIFY(!out.ok);
        QVERIFY(out.lines.isEmpty());
        QCOMPARE(out.message, message);
    }
}

QTEST_APPLESS_MAIN(TestRecordDecoder)
#include "tst_recorddecoder.moc"
