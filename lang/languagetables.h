#ifndef LANGUAGETABLES_H
#define LANGUAGETABLES_H

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The control language is defined by twelve whole-line patterns and two code
// tables. These are the single source of their texts and values.

using CodeTable = QHash<QString, qint32>;

// Unicode-aware \s, \d and \w: a Cyrillic program name is a word.
constexpr QRegularExpression::PatternOptions languagePatternOptions =
    QRegularExpression::UseUnicodePropertiesOption;

// The twelve pattern texts, indexed by StatementCode (0 to 11).
const QStringList &statementPatternTexts();

// Pattern text to StatementCode, inserted in code order.
QHash<QString, int> makeStatementPatterns();

// Operand name to operand code, and comparison operator to comparison code.
CodeTable makeOperandCodes();
CodeTable makeComparisonCodes();

// The way back from a code to its text: the key whose value is `code`, or an
// empty string when no key carries it.
QString keyForCode(const CodeTable &table, qint32 code);

#endif
