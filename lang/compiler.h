#ifndef COMPILER_H
#define COMPILER_H

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QVector>

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

    // Bit c set: the pattern of statement code c may match the line.
    quint32 candidateCodes(const QString &line) const;
    bool isBlank(const QString &line) const;

    QVector<Pattern> m_patterns;          // in code order
    QVector<int> m_patternForCode;        // code -> index in m_patterns, -1 if none
    bool m_dispatch = false;              // the standard table: dispatch on the first token
    QRegularExpression m_blank;
    CodeTable m_operandCodes;
    CodeTable m_comparisonCodes;
};

#endif
