#include <QtTest>

#include "lang/languagetables.h"
#include "lang/statementcode.h"

class TestLanguageTables : public QObject
{
    Q_OBJECT

private slots:
    void matching_data();
    void matching();
    void codeTables();
    void wordCharacters_data();
    void wordCharacters();
};

void TestLanguageTables::matching_data()
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

void TestLanguageTables::matching()
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

void TestLanguageTables::codeTables()
{
    // The device's own numbering (the decoder rows cover the rest); a code
    // with no name gives no text.
    QCOMPARE(keyForCode(makeOperandCodes(), 20), QStringLiteral("Blk"));
    QCOMPARE(keyForCode(makeComparisonCodes(), 3), QStringLiteral("<="));
    QVERIFY(keyForCode(makeOperandCodes(), 22).isEmpty());
}

void TestLanguageTables::wordCharacters_data()
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

void TestLanguageTables::wordCharacters()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    const QRegularExpression expression = languageExpression(pattern);
    QVERIFY2(expression.isValid(), qPrintable(expression.errorString()));
    QTEST(expression.match(subject).hasMatch(), "matches");
}

QTEST_GUILESS_MAIN(TestLanguageTables)
#include "tst_languagetables.moc"
