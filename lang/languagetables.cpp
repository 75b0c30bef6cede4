#include "languagetables.h"

#include "statementcode.h"

namespace {

// Written once so that every statement shares the exact same operand
// alternations; the result is checked against the stored lengths in tests.
const QString dest = QStringLiteral("(Us|Uo|Is|Io|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)");
const QString value = QStringLiteral("(-?\\d+|Us|Uo|Is|Io|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)");
const QString assignValue = QStringLiteral("(-?\\d+|Us|Uo|Is|Io|Ro|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)");
const QString tail = QStringLiteral("\\s*;\\s*$");

QString compound(const QString &op)
{
    return QStringLiteral("^\\s*") + dest + QStringLiteral("\\s*") + op + QStringLiteral("\\s*") + value + tail;
}

} // namespace

const QStringList &statementPatternTexts()
{
    static const QStringList texts = {
        QStringLiteral("^\\s*nop") + tail,
        QStringLiteral("^\\s*") + dest + QStringLiteral("\\s*=\\s*") + assignValue + tail,
        QStringLiteral("^\\s*if\\s") + dest + QStringLiteral("\\s*(==|!=|<|<=|>|>=)\\s*") + value
            + QStringLiteral("\\s+#(\\d\\d?)(\\s+else\\s#(\\d\\d?))?") + tail,
        QStringLiteral("^\\s*jmp\\s+#(\\d\\d?)") + tail,
        QStringLiteral("^\\s*delay_ms\\s+(\\d+)") + tail,
        QStringLiteral("^\\s*delay_s\\s+(\\d+)") + tail,
        compound(QStringLiteral("\\+=")),
        compound(QStringLiteral("-=")),
        compound(QStringLiteral("/=")),
        compound(QStringLiteral("\\*=")),
        QStringLiteral("^\\s*#(\\d\\d?)") + tail,
        QStringLiteral("^\\s*prgName\\s*=\\s*\"(\\w{1,5})\"") + tail,
    };
    return texts;
}

QHash<QString, int> makeStatementPatterns()
{
    QHash<QString, int> patterns;
    const QStringList &texts = statementPatternTexts();
    for (int code = 0; code < texts.size(); ++code)
        patterns.insert(texts.at(code), code);
    return patterns;
}

CodeTable makeOperandCodes()
{
    // Insertion order and values as the device defines them; note that the
    // codes are not in insertion order after T4.
    static const std::pair<const char *, qint32> rows[] = {
        {"Us", 0},  {"Uo", 1},  {"Is", 2},  {"Io", 3},  {"Out", 4}, {"Ro", 5},
        {"M1", 6},  {"M2", 7},  {"M3", 8},  {"M4", 9},  {"M5", 10}, {"M6", 11},
        {"M7", 12}, {"M8", 13}, {"T1", 14}, {"T2", 15}, {"T3", 16}, {"T4", 17},
        {"Blk", 20}, {"K1", 21}, {"ExIn", 18}, {"ExOut", 19},
    };
    CodeTable table;
    for (const auto &row : rows)
        table.insert(QString::fromLatin1(row.first), row.second);
    return table;
}

CodeTable makeComparisonCodes()
{
    static const std::pair<const char *, qint32> rows[] = {
        {"==", 0}, {"!=", 1}, {"<", 2}, {"<=", 3}, {">", 4}, {">=", 5},
    };
    CodeTable table;
    for (const auto &row : rows)
        table.insert(QString::fromLatin1(row.first), row.second);
    return table;
}

QString keyForCode(const CodeTable &table, qint32 code)
{
    return table.key(code, QString());
}
