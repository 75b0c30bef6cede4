#include <QRandomGenerator>
#include <QtTest>

#include "lang/compiler.h"
#include "lang/statementcode.h"

using R = InstructionRecord;

namespace {

CompileResult compile(const QString &text)
{
    return Compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes()).compile(text);
}

QStringList errorLines(const CompileResult &r)
{
    QStringList out;
    for (const CompileError &e : r.errors)
        out << QStringLiteral("%1:%2").arg(e.line).arg(e.message);
    return out;
}

} // namespace

class TestCompiler : public QObject
{
    Q_OBJECT

private slots:
    void pane_data();
    void pane();
    void workedExample();
    void programNameAndLabels();
    void dispatchAgreesWithPatterns();
};

void TestCompiler::pane_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("pane"); // without the header line
    QTest::addColumn<QStringList>("errors");  // "line:message"

    const QString ok = QStringLiteral("OK: %1/100");
    QTest::newRow("empty editor") << QString() << QStringList{"", ok.arg(0)} << QStringList();
    QTest::newRow("blank, comment and unicode-space lines")
        << "  \t\n// note\nUs = 5; // set\n\u3000\n\u3000nop;\u2003"
        << QStringList{"\u3000nop;\u2003", "", ok.arg(1)} << QStringList();
    QTest::newRow("listing only for odd codes")
        << "Us = 5;\nUs += 5;\nnop;\ndelay_s 3;\ndelay_ms 4;\nM8 *= T1;\nIo -= -5;\nM1 /= 2;\n#4;\njmp #4;"
        << QStringList{"Us = 5;", ">func:1 oper:0 arg1:5 arg3:0 arg3:0 arg4:0", "Us += 5;", "nop;", "delay_s 3;",
                       ">func:5 oper:0 arg1:3 arg3:0 arg3:0 arg4:0", "delay_ms 4;", "M8 *= T1;",
                       ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0", "Io -= -5;",
                       ">func:7 oper:3 arg1:-5 arg3:0 arg3:0 arg4:0", "M1 /= 2;", "#4;", "jmp #4;",
                       ">func:3 oper:0 arg1:4 arg3:0 arg3:0 arg4:0", "", ok.arg(10)}
        << QStringList();
    QTest::newRow("unrecognised lines are all reported")
        << "Us == 5;\nNOP;\n/* c */\nЖ\nnop;"
        << QStringList{"error: Us == 5;", "error: NOP;", "error: /* c */", "error: Ж", "nop;", ""}
        << QStringList{"1:error: Us == 5;", "2:error: NOP;", "3:error: /* c */", "4:error: Ж"};
    QTest::newRow("just above 32 bits stops")
        << "nop;\nUs = 2147483648;\nbad;" << QStringList{"nop;", "error: Us = 2147483648;"}
        << QStringList{"2:error: Us = 2147483648;"};
    QTest::newRow("negative right-hand side too large stops")
        << "#1;\nif Us > -2147483649 #1;" << QStringList{"#1;", "error: if Us > -2147483649 #1;"}
        << QStringList{"2:error: if Us > -2147483649 #1;"};
    QTest::newRow("prgName after a blank line stops")
        << "\nprgName = \"Ab\";\nnop;" << QStringList{"error: prgName = \"Ab\"; должен быть в первой строке"}
        << QStringList{"2:error: prgName = \"Ab\"; должен быть в первой строке"};
    QTest::newRow("missing then-target hides the else-target")
        << "if Us > 1 #8 else #9;" << QStringList{"if Us > 1 #8 else #9;", "", "error if: ссылка #8 не найдена"}
        << QStringList{"1:error if: ссылка #8 не найдена"};
    QTest::newRow("missing else-target")
        << "nop;\n#8;\nif Us > 1 #8 else #9;"
        << QStringList{"nop;", "#8;", "if Us > 1 #8 else #9;", "", "error if-else: ссылка #9 не найдена"}
        << QStringList{"3:error if-else: ссылка #9 не найдена"};
    QTest::newRow("else-target on the first record is refused")
        << "#1;\nif Us > 5 #1 else #1;"
        << QStringList{"#1;", "if Us > 5 #1 else #1;", "", "error if-else: ссылка #1 указывает на первую строку программы"}
        << QStringList{"2:error if-else: ссылка #1 указывает на первую строку программы"};
    QTest::newRow("else #0 means no else")
        << "#2;\nif Us > 5 #2 else #0;" << QStringList{"#2;", "if Us > 5 #2 else #0;", "", ok.arg(2)} << QStringList();
    QTest::newRow("all label errors reported")
        << "#1;\n#1;\njmp #2;\nif Us > 1 #3;"
        << QStringList{"#1;", "#1;", "jmp #2;", ">func:3 oper:0 arg1:2 arg3:0 arg3:0 arg4:0", "if Us > 1 #3;", "",
                       "error: повтор ссылки #1", "error jmp: ссылка #2 не найдена", "error if: ссылка #3 не найдена"}
        << QStringList{"2:error: повтор ссылки #1", "3:error jmp: ссылка #2 не найдена",
                       "4:error if: ссылка #3 не найдена"};
    QTest::newRow("more than 100 records still OK")
        << QStringLiteral("nop;\n").repeated(101) << QVector<QString>(101, "nop;").toList() + QStringList{"", ok.arg(101)}
        << QStringList();
}

void TestCompiler::pane()
{
    QFETCH(QString, source);
    QFETCH(QStringList, pane);
    const CompileResult r = compile(source);
    QCOMPARE(r.paneLines(), QStringList(QStringLiteral("Компиляция:")) + pane);
    QCOMPARE(r.paneSourceLines.size(), pane.size() + 1);
    QTEST(errorLines(r), "errors");
    QCOMPARE(r.failed, !pane.last().startsWith(QLatin1String("OK: ")));
}

void TestCompiler::workedExample()
{
    const CompileResult r = compile(QStringLiteral("prgName = \"Test\";\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\n"
                                                   "\n// wait\ndelay_ms 500;\n#2;\njmp #1;"));
    const QStringList pane{"Компиляция:", "prgName = \"Test\";", "#1;", "Us = 100;",
                           ">func:1 oper:0 arg1:100 arg3:0 arg3:0 arg4:0", "if Us < M1 #1 else #2;",
                           "delay_ms 500;", "#2;", "jmp #1;", ">func:3 oper:0 arg1:1 arg3:0 arg3:0 arg4:0", "",
                           "OK: 6/100"};
    QCOMPARE(r.paneLines(), pane);
    QCOMPARE(r.paneSourceLines, (QVector<int>{0, 1, 2, 3, 3, 4, 7, 8, 9, 9, 0, 0}));
    QCOMPARE(r.recordSourceLines, (QVector<int>{2, 3, 4, 7, 8, 9}));
    QVERIFY(!r.failed && r.nameSet);
    QCOMPARE(r.programName, QStringLiteral("Test"));
    QCOMPARE(r.records, (QVector<R>{R{10, 0, 1}, R{1, 0, 100}, R{2, 0x80, 6, 2, 0, 4}, R{4, 0, 500},
                                    R{10, 0, 2}, R{3, 0, 0}}));
}

void TestCompiler::programNameAndLabels()
{
    // The window keeps an earlier name unless a run sets one, even a failing run.
    QVERIFY(!compile(QStringLiteral("nop;")).nameSet);
    CompileResult r = compile(QStringLiteral("prgName = \"Тест1\";\nbad;"));
    QVERIFY(r.failed && r.nameSet);
    QCOMPARE(r.programName, QStringLiteral("Тест1"));
    QCOMPARE(compile(QStringLiteral("prgName = \"A\";\nprgName = \"B\";")).programName, QStringLiteral("A"));
    // A combining accent belongs to the word it follows.
    r = compile(QStringLiteral("prgName = \"Cafe\u0301\";"));
    QVERIFY(!r.failed);
    QCOMPARE(r.programName, QStringLiteral("Cafe\u0301"));

    // References resolve to the first definition of a duplicated label.
    r = compile(QStringLiteral("nop;\n#3;\n#03;\njmp #3;\nif Us > 1 #3 else #3;"));
    QVERIFY(r.failed);
    QCOMPARE(r.records.mid(3), (QVector<R>{R{3, 0, 1}, R{2, 0, 1, 4, 1, 1}}));
}

// Trying only the patterns a line's first token admits must give exactly
// what trying every pattern on every line gives. A pattern that never
// matches makes the table non-standard and so switches the dispatch off.
void TestCompiler::dispatchAgreesWithPatterns()
{
    QHash<QString, int> plainTable = makeStatementPatterns();
    plainTable.insert(QStringLiteral("(?!)"), 99);
    const Compiler reference(plainTable, makeOperandCodes(), makeComparisonCodes());
    const Compiler fast(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());

    const QStringList seeds{
        "nop;", "Us = 5;", "M1 = Ro;", "Ro = 1;", "if Us >= 100 #3;", "if Io <= -5 #12 else #4;",
        "if ExOut != K1 #1 else #07;", "jmp #4;", "delay_ms 500;", "delay_s 2;", "T4 += -7;", "K1 -= Us;",
        "ExIn /= 3;", "M8 *= T1;", "#7;", "#07;", "prgName = \"Ab_1\";", "if Us > 1#3;", "if  Us > 1 #3;",
        "Blk = 1;", "if Us > 1 #3 else#4;", "jmp #123;", "Us = 99999999999;", "Us==5;", "Us - = 5;",
        "if Us < =5 #1;", "delay_ms -5;", "prgName=\"Abcdef\";", "if Us > Ro #2;", "Uo=-0;"};
    const QString noise = QStringLiteral(" \t#;=<>!-+*/\"0123456789_eslUoIMTKEx\u3000\u00a0\u0663\u0301Ж\r\v");

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
