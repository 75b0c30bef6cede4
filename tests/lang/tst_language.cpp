#include <QtTest>

#include <climits>

#include "lang/compiler.h"
#include "lang/languagetables.h"
#include "lang/recorddecoder.h"
#include "lang/statementcode.h"

using R = InstructionRecord;
using Records = QVector<InstructionRecord>;
Q_DECLARE_METATYPE(Records)
Q_DECLARE_METATYPE(InstructionRecord)

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

// The language both ways: source to records and the compile pane, records
// back to source, and the statement patterns themselves.
class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void pane_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("pane"); // without the header line
        QTest::addColumn<QStringList>("errors");  // "line:message"

        const QString ok = QStringLiteral("OK: %1/100");
        QTest::newRow("empty editor") << QString() << QStringList{"", ok.arg(0)} << QStringList();
        QTest::newRow("blank, comment and unicode-space lines")
            << "  \t\n// note\nUs = 5; // set\n\u3000\n\u3000nop;\u2003\nM1\u3000+=\u00a01;"
            << QStringList{"\u3000nop;\u2003", "M1\u3000+=\u00a01;", "", ok.arg(2)} << QStringList();
        QTest::newRow("listing only for odd codes")
            << "Us += 5;\nM8 *= T1;\nIo -= -5;\nM1 /= 2;"
            << QStringList{"Us += 5;", "M8 *= T1;", ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0", "Io -= -5;",
                           ">func:7 oper:3 arg1:-5 arg3:0 arg3:0 arg4:0", "M1 /= 2;", "", ok.arg(4)}
            << QStringList();
        QTest::newRow("unrecognised lines are all reported")
            << "Us == 5;\nNOP;\n/* c */\nЖ\nnop;"
            << QStringList{"error: Us == 5;", "error: NOP;", "error: /* c */", "error: Ж", "nop;", ""}
            << QStringList{"1:error: Us == 5;", "2:error: NOP;", "3:error: /* c */", "4:error: Ж"};
        QTest::newRow("just above 32 bits stops")
            << "nop;\nUs = 2147483648;\nbad;" << QStringList{"nop;", "error: Us = 2147483648;"}
            << QStringList{"2:error: Us = 2147483648;"};
        QTest::newRow("eleven digits stop")
            << "nop;\nUs = 21474836470;" << QStringList{"nop;", "error: Us = 21474836470;"}
            << QStringList{"2:error: Us = 21474836470;"};
        QTest::newRow("a digit of another script stops")
            << QString("nop;\nUs = 1\u0663;\nbad;") << QStringList{"nop;", "error: Us = 1\u0663;"}
            << QStringList{"2:error: Us = 1\u0663;"};
        QTest::newRow("negative right-hand side too large stops")
            << "#1;\nif Us > -2147483649 #1;" << QStringList{"#1;", "error: if Us > -2147483649 #1;"}
            << QStringList{"2:error: if Us > -2147483649 #1;"};
        QTest::newRow("prgName after a blank line stops")
            << "\nprgName = \"Ab\";\nnop;" << QStringList{"error: prgName = \"Ab\"; должен быть в первой строке"}
            << QStringList{"2:error: prgName = \"Ab\"; должен быть в первой строке"};
        QTest::newRow("else #0 means no else")
            << "#2;\nif Us > 5 #2 else #0;" << QStringList{"#2;", "if Us > 5 #2 else #0;", "", ok.arg(2)} << QStringList();
        // A missing then-target hides the else-target; an else-target on the
        // first record would read as no else branch at all.
        QTest::newRow("all label errors reported")
            << "#1;\n#1;\njmp #2;\nif Us > 1 #3;\nif Us > 1 #8 else #9;\nif Us > 1 #1 else #9;\nif Us > 5 #1 else #1;"
            << QStringList{"#1;", "#1;", "jmp #2;", ">func:3 oper:0 arg1:2 arg3:0 arg3:0 arg4:0", "if Us > 1 #3;",
                           "if Us > 1 #8 else #9;", "if Us > 1 #1 else #9;", "if Us > 5 #1 else #1;", "",
                           "error: повтор ссылки #1", "error jmp: ссылка #2 не найдена", "error if: ссылка #3 не найдена",
                           "error if: ссылка #8 не найдена", "error if-else: ссылка #9 не найдена",
                           "error if-else: ссылка #1 указывает на первую строку программы"}
            << QStringList{"2:error: повтор ссылки #1", "3:error jmp: ссылка #2 не найдена",
                           "4:error if: ссылка #3 не найдена", "5:error if: ссылка #8 не найдена",
                           "6:error if-else: ссылка #9 не найдена",
                           "7:error if-else: ссылка #1 указывает на первую строку программы"};
        QTest::newRow("more than 100 records still OK")
            << QStringLiteral("nop;\n").repeated(101) << QVector<QString>(101, "nop;").toList() + QStringList{"", ok.arg(101)}
            << QStringList();
    }

    void pane()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, pane);
        const CompileResult r = compile(source);
        QCOMPARE(r.paneLines(), QStringList(QStringLiteral("Компиляция:")) + pane);
        QCOMPARE(r.paneSourceLines.size(), pane.size() + 1);
        QTEST(errorLines(r), "errors");
        QCOMPARE(r.failed, !pane.last().startsWith(QLatin1String("OK: ")));
    }

    void workedExample()
    {
        const CompileResult r = compile(QStringLiteral("prgName = \"Test\";\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\n"
                                                       "\n// wait\ndelay_ms 500;\n#2;\njmp #1;"));
        // Header, one line a statement (a listing line after odd codes; the
        // comment and the blank line left out), a blank line, the verdict.
        QCOMPARE(r.paneSourceLines, (QVector<int>{0, 1, 2, 3, 3, 4, 7, 8, 9, 9, 0, 0}));
        // The jump's listing shows the label as written, not the record it resolves to.
        QCOMPARE(r.paneLines().at(9), QStringLiteral(">func:3 oper:0 arg1:1 arg3:0 arg3:0 arg4:0"));
        QCOMPARE(r.recordSourceLines, (QVector<int>{2, 3, 4, 7, 8, 9}));
        QVERIFY(!r.failed && r.nameSet);
        QCOMPARE(r.programName, QStringLiteral("Test"));
        QCOMPARE(r.records, (QVector<R>{R{10, 0, 1}, R{1, 0, 100}, R{2, 0x80, 6, 2, 0, 4}, R{4, 0, 500},
                                        R{10, 0, 2}, R{3, 0, 0}}));
    }

    void programNameAndLabels()
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

    void matching_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code"); // -1: no pattern, -2: more than one

        const QList<QPair<QString, int>> rows{
            // Case sensitive, one whole statement per line.
            {"  nop ;  ", Nop}, {"NOP;", -1}, {"Us = 5", -1}, {"Us = 5; nop;", -1}, {"Us == 5;", -1},
            {"M8 = 1;", Assign}, {"M9 = 1;", -1}, {"M0 = 1;", -1}, {"T4 = 1;", Assign}, {"T5 = 1;", -1},
            {"T = 1;", -1}, {"K1 = 1;", Assign}, {"K = 1;", -1}, {"K2 = 1;", -1}, {"Us = K;", -1}, {"ExOut+=ExIn;", AddAssign}, {"K1 -= -3;", SubAssign},
            {"Io /= 2;", DivAssign}, {"M8 *= T1;", MulAssign},
            // Ro only as the source of a plain assignment; Blk nowhere.
            {"M1 = Ro;", Assign}, {"Ro = 5;", -1}, {"M1 += Ro;", -1}, {"if M1 > Ro #2;", -1},
            {"Blk = 1;", -1}, {"M1 = Blk;", -1},
            // Exactly one space after "if" and "else", at least one before "#".
            {"if Us >= 100 #3;", If}, {"if\tUs > 1 #3;", If}, {"if  Us > 1 #3;", -1},
            {"if Us < M1 #1 else #2;", If}, {"if Us > 1 #3 else#4;", -1}, {"if Us > 1 #3 else  #4;", -1},
            {"if Us > 1#3;", -1}, {"jmp #12;", Jmp}, {"jmp#1;", -1},
            // One or two label digits; unsigned delays.
            {"#07;", Label}, {"#123;", -1}, {"jmp #123;", -1},
            {"delay_ms 500;", DelayMs}, {"delay_ms -5;", -1}, {"delay_s 2;", DelayS},
            // Program names: one to five word characters.
            {"prgName=\"a\";", PrgName}, {"prgName = \"abcde\";", PrgName}, {"prgName = \"abcdef\";", -1},
            {"prgName = \"\";", -1}, {"prgName = \"Пуск1\";", PrgName}, {"prgName = \"a b\";", -1},
        };
        for (const auto &row : rows)
            QTest::newRow(qPrintable(row.first)) << row.first << row.second;
    }

    void matching()
    {
        QFETCH(QString, line);
        int found = -1;
        const QStringList &texts = statementPatternTexts();
        for (int code = 0; code < texts.size(); ++code) {
            if (languageExpression(texts.at(code)).match(line).hasMatch())
                found = found == -1 ? code : -2;
        }
        QTEST(found, "code");
    }

    void codeTables()
    {
        // The device's own numbering (the decoder rows cover the rest); a code
        // with no name gives no text.
        QCOMPARE(keyForCode(makeOperandCodes(), 20), QStringLiteral("Blk"));
        QVERIFY(keyForCode(makeOperandCodes(), 22).isEmpty());
    }

    void wordCharacters_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<bool>("matches");

        // \w: a letter, number or combining mark of any script, or "_"; also
        // inside a class, and never where the backslash is itself escaped.
        QTest::newRow("combining accent") << "^\\w{1,2}$" << "e\u0301" << true;
        QTest::newRow("digits and underscore") << "^\\w+$" << "\u0663_9Ж" << true;
        QTest::newRow("space is not a word") << "^\\w+$" << "a b" << false;
        QTest::newRow("in a class") << "^[\\w-]+$" << "e\u0301-x" << true;
        QTest::newRow("after a leading ] in a class") << "^[]\\w]+$" << "]e\u0301" << true;
        QTest::newRow("negated class") << "^[^\\w]$" << "\u0301" << false;
        QTest::newRow("escaped backslash") << "^\\\\w$" << "\\w" << true;
    }

    void wordCharacters()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, subject);
        const QRegularExpression expression = languageExpression(pattern);
        QVERIFY2(expression.isValid(), qPrintable(expression.errorString()));
        QTEST(expression.match(subject).hasMatch(), "matches");
    }

    void decode_data()
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

    void decode()
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
            const CompileResult again = compile(out.lines.mid(1).join(QLatin1Char('\n')));
            QCOMPARE(decodeProgram(again.records, name, makeOperandCodes(), makeComparisonCodes()).lines, lines);
        }
    }

    void image_data()
    {
        QTest::addColumn<InstructionRecord>("record");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QString>("listing");

        QTest::newRow("M8 *= T1") << R{9, 0x8D, 14} << QByteArray("098D0E0000000000000000000000")
                                  << ">func:9 oper:8D arg1:14 arg3:0 arg3:0 arg4:0";
        QTest::newRow("signed extremes") << R{2, 0x13, INT_MIN, INT_MAX, SHRT_MIN, -2}
                                         << QByteArray("021300000080FFFFFF7F0080FEFF")
                                         << ">func:2 oper:13 arg1:-2147483648 arg3:2147483647 arg3:-32768 arg4:-2";
    }

    void image()
    {
        QFETCH(InstructionRecord, record);
        QFETCH(QByteArray, hex);
        QCOMPARE(record.toImage().toHex().toUpper(), hex);
        QCOMPARE(R::fromImage(QByteArray::fromHex(hex)), record);
        QTEST(record.listingLine(), "listing");
        // A short image reads its missing bytes as zero.
        QCOMPARE(R::fromImage(QByteArray::fromHex(hex).left(3)), (R{record.func, record.oper, quint8(record.arg1)}));
    }

    void writePayload()
    {
        const R r{3, 0, 7};
        QCOMPARE(r.writePayload(3), r.toImage() + '\x03');
        QCOMPARE(r.writePayload(257), r.toImage() + '\x01');
    }
};

QTEST_APPLESS_MAIN(TestLanguage)
#include "tst_language.moc"
