#ifndef COMPILER_H
#define COMPILER_H

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QVector>

#include <array>

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
    // A code table as a short list: looked up with a view of the line,
    // without a string made for every capture.
    struct CodeList
    {
        QVector<Code> rows;

        explicit CodeList(const CodeTable &table);
        bool find(QStringView key, qint32 &code) const;
    };
    // Capture groups numbered as in the patterns (0 unused); a group that
    // took no part is an empty view.
    using Captures = std::array<QStringView, 7>;
    enum class Outcome { Record, NoRecord, BadNumber, BadOperator, MisplacedName };

    void buildDispatch();
    // Bit c set: the pattern of statement code c may match the line.
    quint32 candidateCodes(QStringView line) const;
    bool isBlank(QStringView line) const;
    // The code of the pattern the line matches, or -1; the captures point
    // into `copy`.
    int match(QStringView line, QString &copy, Captures &cap) const;
    Outcome encode(int code, const Captures &cap, int index, InstructionRecord &record,
                   CompileResult &result) const;
    // One non-blank, non-comment line; false when it stops the run.
    bool compileLine(QStringView line, int index, CompileResult &result, int &errorCount) const;

    QVector<Pattern> m_patterns;  // in code order
    // The language's own patterns: a line is tried only against the
    // patterns its first token admits.
    bool m_standard = false;
    std::array<quint32, 128> m_byFirst{};     // by the first character
    std::array<quint32, 128> m_byOperator{};  // by the first operator character
    quint32 m_operandLed = 0;                 // statements that start with an operand
    QRegularExpression m_blank;
    CodeList m_operandCodes;
    CodeList m_comparisonCodes;
};

#endif
