#ifndef COMPILER_H
#define COMPILER_H

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QVector>

#include <bitset>

#include "lang/compileresult.h"
#include "lang/languagetables.h"

// Turns program source text into instruction records, the output-pane text
// and the list of errors. Pure: it keeps nothing between runs, so one
// instance can compile any number of texts.
class Compiler
{
public:
    Compiler(const QHash<QString, int> &statementPatterns, const CodeTable &operandCodes,
             const CodeTable &comparisonCodes);

    CompileResult compile(const QString &text) const;

private:
    struct Pattern
    {
        QRegularExpression expression;
        int code = 0;
    };
    struct Code
    {
        QString key;
        qint32 code = 0;
    };
    // A code table as a short list, with the first characters of its keys
    // so that a number misses without comparing anything.
    struct CodeList
    {
        QVector<Code> rows;
        std::bitset<128> asciiFirst;
        bool otherFirst = false;  // some key starts outside ASCII

        explicit CodeList(const CodeTable &table);
        bool find(QStringView key, qint32 &code) const;
    };

    // Bit c set: the pattern of statement code c may match the line.
    quint32 candidateCodes(QStringView line) const;
    bool isBlank(QStringView line) const;

    QVector<Pattern> m_patterns;          // in code order
    QVector<int> m_patternForCode;        // code -> index in m_patterns, -1 if none
    // The language's own patterns: lines may be dispatched on their first
    // token and plain ASCII lines read by the hand-written scanner.
    bool m_standard = false;
    QRegularExpression m_blank;
    CodeList m_operandCodes;
    CodeList m_comparisonCodes;
};

#endif
