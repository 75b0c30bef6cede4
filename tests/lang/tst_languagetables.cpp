#include <QtTest>

#include "lang/languagetables.h"
#include "lang/statementcode.h"

class TestLanguageTables : public QObject
{
    Q_OBJECT

private slots:
    void patternLengths();
    void matching_data();
    void matching();
    void ifCaptures();
    void codeTables_data();
    void codeTables();
};

void TestLanguageTables::patternLengths()
{
    // The byte lengths the device documentation gives for each pattern text.
    const int expected[] = {15, 118, 166, 26, 28, 27, 117, 116, 116, 117, 20, 37};
    const QStringList &texts = statementPatternTexts();
    QCOMPARE(texts.size(), 12);
    for (int code = 0; code < 12; ++code)
        QCOMPARE(texts.at(code).toUtf8().size(), expected[code]);
    QCOMPARE(texts.at(Label), QStringLiteral("^\\s*#(\\d\\d?)\\s*;\\s*$"));
    QCOMPARE(texts.at(PrgName), QStringLiteral("^\\s*prgName\\s*=\\s*\"(\\w{1,5})\"\\s*;\\s*$"));

    const QHash<QString, int> map = makeStatementPatterns();
    QCOMPARE(map.size(), 12);
    for (int code = 0; code < 12; ++code)
        QCOMPARE(map.value(texts.at(code), -1), code);
}

// Which pattern (if any) a line matches; -2 when it matches more than one.
static int matchingCode(const QString &line)
{
    int found = -1;
    const QStringList &texts = statementPatternTexts();
    for (int code = 0; code < texts.size(); ++code) {
        const QRegularExpression re(texts.at(code), languagePatternOptions);
        if (re.match(line).hasMatch())
            found = (found == -1) ? code : -2;
    }
    return found;
}

void TestLanguageTables::matching_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");

    QTest::newRow("nop") << "nop;" << int(Nop);
    QTest::newRow("nop spaced") << "  nop ;  " << int(Nop);
    QTest::newRow("NOP upper") << "NOP;" << -1;
    QTest::newRow("Nop mixed") << "Nop;" << -1;
    QTest::newRow("M8") << "M8 = 1;" << int(Assign);
    QTest::newRow("T4") << "T4 = 1;" << int(Assign);
    QTest::newRow("M9") << "M9 = 1;" << -1;
    QTest::newRow("T5") << "T5 = 1;" << -1;
    QTest::newRow("Ro dest") << "Ro = 5;" << -1;
    QTest::newRow("Ro assign src") << "M1 = Ro;" << int(Assign);
    QTest::newRow("Ro add src") << "M1 += Ro;" << -1;
    QTest::newRow("Ro if rhs") << "if M1 > Ro #2;" << -1;
    QTest::newRow("Blk dest") << "Blk = 1;" << -1;
    QTest::newRow("Blk src") << "M1 = Blk;" << -1;
    QTest::newRow("negative") << "Us = -5;" << int(Assign);
    QTest::newRow("no semicolon") << "Us = 5" << -1;
    QTest::newRow("two statements") << "Us = 5; nop;" << -1;
    QTest::newRow("compare as statement") << "Us == 5;" << -1;
    QTest::newRow("add") << "ExOut+=ExIn;" << int(AddAssign);
    QTest::newRow("sub") << "K1 -= -3;" << int(SubAssign);
    QTest::newRow("div") << "Io /= 2;" << int(DivAssign);
    QTest::newRow("mul") << "M8 *= T1;" << int(MulAssign);
    QTest::newRow("if") << "if Us >= 100 #3;" << int(If);
    QTest::newRow("if else") << "if Us < M1 #1 else #2;" << int(If);
    QTest::newRow("if two spaces") << "if  Us > 1 #3;" << -1;
    QTest::newRow("if tab") << "if\tUs > 1 #3;" << int(If);
    QTest::newRow("else no space") << "if Us > 1 #3 else#4;" << -1;
    QTest::newRow("else two spaces") << "if Us > 1 #3 else  #4;" << -1;
    QTest::newRow("no space before target") << "if Us > 1#3;" << -1;
    QTest::newRow("label") << "#7;" << int(Label);
    QTest::newRow("label leading zero") << "#07;" << int(Label);
    QTest::newRow("label three digits") << "#123;" << -1;
    QTest::newRow("jmp") << "jmp #12;" << int(Jmp);
    QTest::newRow("jmp three digits") << "jmp #123;" << -1;
    QTest::newRow("jmp no space") << "jmp#1;" << -1;
    QTest::newRow("delay_ms") << "delay_ms 500;" << int(DelayMs);
    QTest::newRow("delay_ms signed") << "delay_ms -5;" << -1;
    QTest::newRow("delay_s") << "delay_s 2;" << int(DelayS);
    QTest::newRow("name") << "prgName = \"Prg1\";" << int(PrgName);
    QTest::newRow("name tight") << "prgName=\"ab\";" << int(PrgName);
    QTest::newRow("name five") << "prgName = \"abcde\";" << int(PrgName);
    QTest::newRow("name six") << "prgName = \"abcdef\";" << -1;
    QTest::newRow("name empty") << "prgName = \"\";" << -1;
    QTest::newRow("name cyrillic") << QStringLiteral("prgName = \"Пуск1\";") << int(PrgName);
    QTest::newRow("name space inside") << "prgName = \"a b\";" << -1;
}

void TestLanguageTables::matching()
{
    QFETCH(QString, line);
    QFETCH(int, code);
    QCOMPARE(matchingCode(line), code);
}

void TestLanguageTables::ifCaptures()
{
    const QRegularExpression re(statementPatternTexts().at(If), languagePatternOptions);
    QRegularExpressionMatch m = re.match(QStringLiteral("if Us >= 100 #3;"));
    QVERIFY(m.hasMatch());
    QCOMPARE(m.captured(1), QStringLiteral("Us"));
    QCOMPARE(m.captured(2), QStringLiteral(">="));
    QCOMPARE(m.captured(3), QStringLiteral("100"));
    QCOMPARE(m.captured(4), QStringLiteral("3"));
    QVERIFY(m.captured(6).isEmpty());

    m = re.match(QStringLiteral("if Io != -7 #05 else #9;"));
    QVERIFY(m.hasMatch());
    QCOMPARE(m.captured(3), QStringLiteral("-7"));
    QCOMPARE(m.captured(4), QStringLiteral("05"));
    QCOMPARE(m.captured(6), QStringLiteral("9"));
}

void TestLanguageTables::codeTables_data()
{
    QTest::addColumn<bool>("operand");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("code");

    const char *names[] = {"Us", "Uo", "Is", "Io", "Out", "Ro", "M1", "M2", "M3", "M4", "M5",
                           "M6", "M7", "M8", "T1", "T2", "T3", "T4", "ExIn", "ExOut", "Blk", "K1"};
    for (int code = 0; code < 22; ++code)
        QTest::newRow(names[code]) << true << QString::fromLatin1(names[code]) << code;
    const char *ops[] = {"==", "!=", "<", "<=", ">", ">="};
    for (int code = 0; code < 6; ++code)
        QTest::newRow(ops[code]) << false << QString::fromLatin1(ops[code]) << code;
}

void TestLanguageTables::codeTables()
{
    QFETCH(bool, operand);
    QFETCH(QString, key);
    QFETCH(int, code);
    const CodeTable table = operand ? makeOperandCodes() : makeComparisonCodes();
    QCOMPARE(table.size(), operand ? 22 : 6);
    QCOMPARE(table.value(key, -1), code);
    QCOMPARE(keyForCode(table, code), key);
    QVERIFY(keyForCode(table, 22).isEmpty());
}

QTEST_GUILESS_MAIN(TestLanguageTables)
#include "tst_languagetables.moc"
