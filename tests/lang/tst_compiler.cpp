#include <QRandomGenerator>
#include <QtTest>

#include "lang/compiler.h"
#include "lang/statementcode.h"

namespace {

Compiler standardCompiler()
{
    return Compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
}

InstructionRecord rec(int func, int oper, qint32 a1, qint32 a2 = 0, qint16 a3 = 0, qint16 a4 = 0)
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

QStringList errorLines(const CompileResult &r)
{
    QStringList out;
    for (const CompileError &e : r.errors)
        out << QStringLiteral("%1:%2").arg(e.line).arg(e.message);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(InstructionRecord)

class TestCompiler : public QObject
{
    Q_OBJECT

private slots:
    void pane_data();
    void pane();
    void workedExample();
    void sourceLinesOfPaneAndRecords();
    void programName_data();
    void programName();
    void stopKeepsEarlierRecords();
    void labelsResolveToFirstDefinition();
    void longProgramStillOk();
    void listingMatchesRecordFormat();
    void scannerAgreesWithPatterns();
};

void TestCompiler::pane_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("pane");
    QTest::addColumn<QStringList>("errors");  // "line:message"

    const QString head = QStringLiteral("Компиляция:");
    QTest::newRow("empty editor") << QString() << QStringList{head, "", "OK: 0/100"} << QStringList();
    QTest::newRow("blank and comment lines skipped")
        << "  \t\n// note\nUs = 5; // set\n\u3000\nnop;"
        << QStringList{head, "nop;", "", "OK: 1/100"} << QStringList();
    QTest::newRow("block comment is not a comment")
        << "/* note */" << QStringList{head, "error: /* note */", ""} << QStringList{"1:error: /* note */"};
    QTest::newRow("listing only for odd codes")
        << "Us = 5;\nUs += 5;\nnop;\ndelay_s 3;\ndelay_ms 4;\nM8 *= T1;\nIo -= -5;\nM1 /= 2;\n#4;\njmp #4;"
        << QStringList{head, "Us = 5;", ">func:1 oper:0 arg1:5 arg3:0 arg3:0 arg4:0", "Us += 5;", "nop;",
                       "delay_s 3;", ">func:5 oper:0 arg1:3 arg3:0 arg3:0 arg4:0", "delay_ms 4;",
                       "M8 *= T1;", ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0", "Io -= -5;",
                       ">func:7 oper:3 arg1:-5 arg3:0 arg3:0 arg4:0", "M1 /= 2;", "#4;", "jmp #4;",
                       ">func:3 oper:0 arg1:4 arg3:0 arg3:0 arg4:0", "", "OK: 10/100"}
        << QStringList();
    QTest::newRow("unrecognised lines are all reported")
        << "Us == 5;\nNOP;\nnop;" << QStringList{head, "error: Us == 5;", "error: NOP;", "nop;", ""}
        << QStringList{"1:error: Us == 5;", "2:error: NOP;"};
    QTest::newRow("number too large stops")
        << "nop;\ndelay_ms 99999999999;\nbad;\nnop;"
        << QStringList{head, "nop;", "error: delay_ms 99999999999;"}
        << QStringList{"2:error: delay_ms 99999999999;"};
    QTest::newRow("just above 32 bits stops") << "Us = 2147483648;" << QStringList{head, "error: Us = 2147483648;"}
                                              << QStringList{"1:error: Us = 2147483648;"};
    QTest::newRow("negative right-hand side too large stops")
        << "#1;\nif Us > -2147483649 #1;" << QStringList{head, "#1;", "error: if Us > -2147483649 #1;"}
        << QStringList{"2:error: if Us > -2147483649 #1;"};
    QTest::newRow("32-bit extremes")
        << "Us = -2147483648;\nUo = 2147483647;"
        << QStringList{head, "Us = -2147483648;", ">func:1 oper:0 arg1:-2147483648 arg3:0 arg3:0 arg4:0",
                       "Uo = 2147483647;", ">func:1 oper:1 arg1:2147483647 arg3:0 arg3:0 arg4:0", "", "OK: 2/100"}
        << QStringList();
    QTest::newRow("prgName after a blank line stops")
        << "\nprgName = \"Ab\";\nnop;"
        << QStringList{head, "error: prgName = \"Ab\"; должен быть в первой строке"}
        << QStringList{"2:error: prgName = \"Ab\"; должен быть в первой строке"};
    QTest::newRow("duplicate label")
        << "#3;\nnop;\n#3;" << QStringList{head, "#3;", "nop;", "#3;", "", "error: повтор ссылки #3"}
        << QStringList{"3:error: повтор ссылки #3"};
    QTest::newRow("missing then-target hides the else-target")
        << "if Us > 1 #8 else #9;" << QStringList{head, "if Us > 1 #8 else #9;", "", "error if: ссылка #8 не найдена"}
        << QStringList{"1:error if: ссылка #8 не найдена"};
    QTest::newRow("missing else-target")
        << "nop;\n#8;\nif Us > 1 #8 else #9;"
        << QStringList{head, "nop;", "#8;", "if Us > 1 #8 else #9;", "", "error if-else: ссылка #9 не найдена"}
        << QStringList{"3:error if-else: ссылка #9 не найдена"};
    QTest::newRow("missing jump target")
        << "jmp #4;" << QStringList{head, "jmp #4;", ">func:3 oper:0 arg1:4 arg3:0 arg3:0 arg4:0", "",
                                     "error jmp: ссылка #4 не найдена"}
        << QStringList{"1:error jmp: ссылка #4 не найдена"};
    QTest::newRow("else-target on the first record is refused")
        << "#1;\nif Us > 5 #1 else #1;"
        << QStringList{head, "#1;", "if Us > 5 #1 else #1;", "",
                       "error if-else: ссылка #1 указывает на первую строку программы"}
        << QStringList{"2:error if-else: ссылка #1 указывает на первую строку программы"};
    QTest::newRow("else #0 means no else")
        << "#2;\nif Us > 5 #2 else #0;" << QStringList{head, "#2;", "if Us > 5 #2 else #0;", "", "OK: 2/100"}
        << QStringList();
    QTest::newRow("all label errors reported")
        << "#1;\n#1;\njmp #2;\nif Us > 1 #3;"
        << QStringList{head, "#1;", "#1;", "jmp #2;", ">func:3 oper:0 arg1:2 arg3:0 arg3:0 arg4:0",
                       "if Us > 1 #3;", "", "error: повтор ссылки #1", "error jmp: ссылка #2 не найдена",
                       "error if: ссылка #3 не найдена"}
        << QStringList{"2:error: повтор ссылки #1", "3:error jmp: ссылка #2 не найдена",
                       "4:error if: ссылка #3 не найдена"};
    QTest::newRow("unicode space before a statement")
        << "\u3000nop;\u2003" << QStringList{head, "\u3000nop;\u2003", "", "OK: 1/100"} << QStringList();
}

void TestCompiler::pane()
{
    QFETCH(QString, source);
    QFETCH(QStringList, pane);
    QFETCH(QStringList, errors);
    const CompileResult r = standardCompiler().compile(source);
    QCOMPARE(r.paneLines(), pane);
    QCOMPARE(r.paneSourceLines.size(), pane.size());
    QCOMPARE(errorLines(r), errors);
    QCOMPARE(r.failed, !pane.last().startsWith(QLatin1String("OK: ")));
}

void TestCompiler::workedExample()
{
    const QString source = QStringLiteral("prgName = \"Test\";\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\n"
                                          "delay_ms 500;\n#2;\njmp #1;");
    const CompileResult r = standardCompiler().compile(source);
    const QStringList pane{"Компиляция:", "prgName = \"Test\";", "#1;", "Us = 100;",
                           ">func:1 oper:0 arg1:100 arg3:0 arg3:0 arg4:0", "if Us < M1 #1 else #2;",
                           "delay_ms 500;", "#2;", "jmp #1;", ">func:3 oper:0 arg1:1 arg3:0 arg3:0 arg4:0", "",
                           "OK: 6/100"};
    QCOMPARE(r.paneLines(), pane);
    QVERIFY(!r.failed);
    QVERIFY(r.nameSet);
    QCOMPARE(r.programName, QStringLiteral("Test"));
    const QVector<InstructionRecord> records{rec(Label, 0, 1), rec(Assign, 0, 100), rec(If, 0x80, 6, 2, 0, 4),
                                             rec(DelayMs, 0, 500), rec(Label, 0, 2), rec(Jmp, 0, 0)};
    QCOMPARE(r.records, records);
}

void TestCompiler::sourceLinesOfPaneAndRecords()
{
    const CompileResult r = standardCompiler().compile(QStringLiteral("prgName=\"x\";\n\nUs = 1;\n// c\n#5;\njmp #5;"));
    QCOMPARE(r.paneSourceLines, (QVector<int>{0, 1, 3, 3, 5, 6, 6, 0, 0}));
    QCOMPARE(r.recordSourceLines, (QVector<int>{3, 5, 6}));
}

void TestCompiler::programName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("nameSet");
    QTest::addColumn<QString>("name");

    QTest::newRow("none") << "nop;" << false << QString();
    QTest::newRow("set") << "prgName=\"Ab\";" << true << "Ab";
    QTest::newRow("cyrillic word") << "  prgName = \"Тест1\" ;" << true << "Тест1";
    QTest::newRow("set although the run fails later") << "prgName = \"Ab\";\nbad;" << true << "Ab";
    QTest::newRow("six characters is no name") << "prgName = \"Abcdef\";" << false << QString();
    QTest::newRow("second name line stops") << "prgName = \"A\";\nprgName = \"B\";" << true << "A";
}

void TestCompiler::programName()
{
    QFETCH(QString, source);
    QFETCH(bool, nameSet);
    QFETCH(QString, name);
    const CompileResult r = standardCompiler().compile(source);
    QCOMPARE(r.nameSet, nameSet);
    QCOMPARE(r.programName, name);
}

void TestCompiler::stopKeepsEarlierRecords()
{
    const CompileResult r = standardCompiler().compile(QStringLiteral("Us = 1;\nM1 = 2;\njmp #1;\nprgName = \"A\";\nnop;"));
    QVERIFY(r.failed);
    QCOMPARE(r.records, (QVector<InstructionRecord>{rec(Assign, 0, 1), rec(Assign, 6, 2), rec(Jmp, 0, 1)}));
    QCOMPARE(r.paneLines().last(), QStringLiteral("error: prgName = \"A\"; должен быть в первой строке"));
}

void TestCompiler::labelsResolveToFirstDefinition()
{
    const CompileResult r = standardCompiler().compile(QStringLiteral("nop;\n#3;\n#03;\njmp #3;\nif Us > 1 #3 else #3;"));
    QVERIFY(r.failed);
    QCOMPARE(r.records.at(3), rec(Jmp, 0, 1));
    QCOMPARE(r.records.at(4), rec(If, 0, 1, 4, 1, 1));
}

void TestCompiler::longProgramStillOk()
{
    QStringList lines;
    for (int i = 0; i < 101; ++i)
        lines << QStringLiteral("nop;");
    const CompileResult r = standardCompiler().compile(lines.join(QLatin1Char('\n')));
    QVERIFY(!r.failed);
    QCOMPARE(r.paneLines().last(), QStringLiteral("OK: 101/100"));
}

void TestCompiler::listingMatchesRecordFormat()
{
    const QString source = QStringLiteral("ExOut = -2147483648;\nK1 *= ExIn;\nT4 -= 2147483647;\nOut = Ro;\n"
                                          "delay_s 0;\ndelay_s 2147483647;\nM8 /= -1;");
    const CompileResult r = standardCompiler().compile(source);
    QVERIFY(!r.failed);
    const QStringList pane = r.paneLines();
    int at = 0;
    for (const InstructionRecord &record : r.records) {
        if (!(record.func & 1))
            continue;
        while (at < pane.size() && !pane.at(at).startsWith(QLatin1String(">func:")))
            ++at;
        QVERIFY(at < pane.size());
        QCOMPARE(pane.at(at++), record.listingLine());
    }
}

// The fast paths (first-token dispatch and the hand-written scanner) must
// give exactly what trying every pattern on every line gives. A pattern that
// never matches makes the table non-standard and so switches them off.
void TestCompiler::scannerAgreesWithPatterns()
{
    QHash<QString, int> plainTable = makeStatementPatterns();
    plainTable.insert(QStringLiteral("(?!)"), 99);
    const Compiler reference(plainTable, makeOperandCodes(), makeComparisonCodes());
    const Compiler fast = standardCompiler();

    const QStringList seeds{
        "nop;", "Us = 5;", "M1 = Ro;", "Ro = 1;", "if Us >= 100 #3;", "if Io <= -5 #12 else #4;",
        "if ExOut != K1 #1 else #07;", "jmp #4;", "delay_ms 500;", "delay_s 2;", "T4 += -7;", "K1 -= Us;",
        "ExIn /= 3;", "M8 *= T1;", "#7;", "#07;", "prgName = \"Ab_1\";", "if Us > 1#3;", "if  Us > 1 #3;",
        "Blk = 1;", "if Us > 1 #3 else#4;", "jmp #123;", "Us = 99999999999;", "Us==5;", "Us - = 5;",
        "if Us < =5 #1;", "delay_ms -5;", "prgName=\"Abcdef\";", "if Us > Ro #2;", "Uo=-0;"};
    const QString noise = QStringLiteral(" \t#;=<>!-+*/\"0123456789_eslUoIMTKEx\u3000\u00a0\u0663Ж\r\v");

    QRandomGenerator random(20240611);
    for (int round = 0; round < 60; ++round) {
        QStringList lines;
        for (int n = 0; n < 200; ++n) {
            QString line = seeds.at(random.bounded(seeds.size()));
            const int edits = random.bounded(4);
            for (int e = 0; e < edits; ++e) {
                const int at = random.bounded(line.size() + 1);
                switch (random.bounded(3)) {
                case 0: line.insert(at, noise.at(random.bounded(noise.size()))); break;
                case 1: if (at < line.size()) line.remove(at, 1); break;
                default: if (at < line.size()) line[at] = noise.at(random.bounded(noise.size())); break;
                }
            }
            lines << line;
        }
        const QString text = lines.join(QLatin1Char('\n'));
        const CompileResult a = fast.compile(text);
        const CompileResult b = reference.compile(text);
        QCOMPARE(a.paneText, b.paneText);
        QCOMPARE(a.paneSourceLines, b.paneSourceLines);
        QCOMPARE(a.records, b.records);
        QCOMPARE(errorLines(a), errorLines(b));
        QCOMPARE(a.programName, b.programName);
    }
}

QTEST_APPLESS_MAIN(TestCompiler)
#include "tst_compiler.moc"
