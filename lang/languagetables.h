#ifndef LANGUAGETABLES_H
#define LANGUAGETABLES_H

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The control language, defined once: the operands with their codes, the
// comparison operators with theirs, and the statement kinds with their
// keywords. The twelve whole-line patterns, the compiler's dispatch, the
// decoder's words and the highlighter's rules are all derived from these
// tables, so a new operand is one new row.

using CodeTable = QHash<QString, qint32>;

// Unicode-aware \s, \d and \w: a Cyrillic program name is a word.
constexpr QRegularExpression::PatternOptions languagePatternOptions =
    QRegularExpression::UseUnicodePropertiesOption;

// A language pattern (or any pattern the compiler or highlighter runs) as a
// regular expression. \w is spelled out as a letter, number or combining
// mark of any script, or the underscore, whatever the PCRE2 in use counts as
// a word character: a name typed with a combining accent is a name.
QRegularExpression languageExpression(const QString &pattern);

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

// The word a statement is written with: its leading keyword ("nop", "if",
// "jmp", "#", "prgName"...) or, for the assignments, which start
// with their destination operand, the operator ("=", "+="...).
QString statementKeyword(int code);
// The keyword of the else branch of a conditional jump.
QString elseKeyword();
// True for the statements that start with a destination operand.
bool startsWithOperand(int code);
// The operands that may stand as a destination (and as a source everywhere).
QStringList destinationOperands();

#endif
