#include <QtTest>

#include "lang/languagetables.h"
#include "lang/statementcode.h"

class TestLanguageTables : public QObject
{
    Q_OBJECT

private slots:
    void patterns();
    void matching_data();
    void matching();
    void codeTables();
};

void TestLanguageTables::patterns()
{
    // The byte lengths the device documentation gives for each pattern text.
    const QVector<int> expected{15, 118, 166, 26, 28, 27, 117, 116, 116, 117, 20, 37};
    QVector<int> lengths;
    const QHash<QString, int> map = makeStatementPatterns();
    for (const QString &text : statementPatternTexts()) {
        QCOMPARE(map.value(text, -1), lengths.size());
        lengths << text.toUtf8().size();
    }
    QCOMPARE(lengths, expected);
    QCOMPARE(map.size(), 12);
}

void TestLanguageTables::matching_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code"); // -1: no pattern, -2: more than one

    const QList<QPair<QString, int>> rows{
        // Case sensitive, one whole statement per line.
        {"  nop ;  ", Nop}, {"NOP;", -1}, {"Us = 5", -1}, {"Us = 5; nop;", -1}, {"Us == 5;", -1},
        {"M8 = 1;", Assign}, {"M9 = 1;", -1}, {"ExOut+=ExIn;", AddAssign}, {"K1 -= -3;", SubAssign},
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

void TestLanguageTables::matching()
{
    QFETCH(QString, line);
    int found = -1;
    const QStringList &texts = statementPatternTexts();
    for (int code = 0; code < texts.size(); ++code) {
        if (QRegularExpression(texts.at(code), languagePatternOptions).match(line).hasMatch())
            found = found == -1 ? code : -2;
    }
    QTEST(found, "code");
}

void TestLanguageTables::codeTables()
{
    const QStringList operands{"Us", "Uo", "Is", "Io", "Out", "Ro", "M1", "M2", "M3", "M4", "M5",
                               "M6", "M7", "M8", "T1", "T2", "T3", "T4", "ExIn", "ExOut", "Blk", "K1"};
    const QStringList comparisons{"==", "!=", "<", "<=", ">", ">="};
    for (const auto &[table, keys] : {qMakePair(makeOperandCodes(), operands),
                                      qMakePair(makeComparisonCodes(), comparisons)}) {
        QCOMPARE(table.size(), keys.size());
        for (int code = 0; code < keys.size(); ++code) {
            QCOMPARE(table.value(keys.at(code), -1), code);
            QCOMPARE(keyForCode(table, code), keys.at(code));
        }
        QVERIFY(keyForCode(table, 22).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestLanguageTables)
#include "tst_languagetables.moc"
