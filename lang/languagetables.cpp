#include "languagetables.h"

#include "statementcode.h"

namespace {

// Where an operand may be written.
enum class Use {
    Anywhere,      // destination, source, either side of a comparison
    AssignSource,  // only as the source of a plain assignment (Ro)
    DecodeOnly,    // has a code but no statement admits it (Blk)
};

struct Operand
{
    const char *name;
    qint32 code;
    Use use;
};

// In the order the patterns list them; the codes are the device's and are
// not in that order after T4.
const Operand operands[] = {
    {"Us", 0, Use::Anywhere},  {"Uo", 1, Use::Anywhere},     {"Is", 2, Use::Anywhere},
    {"Io", 3, Use::Anywhere},  {"Ro", 5, Use::AssignSource}, {"Out", 4, Use::Anywhere},
    {"M1", 6, Use::Anywhere},  {"M2", 7, Use::Anywhere},     {"M3", 8, Use::Anywhere},
    {"M4", 9, Use::Anywhere},  {"M5", 10, Use::Anywhere},    {"M6", 11, Use::Anywhere},
    {"M7", 12, Use::Anywhere}, {"M8", 13, Use::Anywhere},    {"T1", 14, Use::Anywhere},
    {"T2", 15, Use::Anywhere}, {"T3", 16, Use::Anywhere},    {"T4", 17, Use::Anywhere},
    {"Blk", 20, Use::DecodeOnly}, {"K1", 21, Use::Anywhere}, {"ExIn", 18, Use::Anywhere},
    {"ExOut", 19, Use::Anywhere},
};

const std::pair<const char *, qint32> comparisons[] = {
    {"==", 0}, {"!=", 1}, {"<", 2}, {"<=", 3}, {">", 4}, {">=", 5},
};

// How a statement is built around its keyword.
enum class Shape { Word, Assignment, Update, Condition, Jump, Count, LabelLine, Name };

struct Statement
{
    const char *keyword;
    Shape shape;
};

// Indexed by StatementCode.
const Statement statements[] = {
    {"nop", Shape::Word},     {"=", Shape::Assignment}, {"if", Shape::Condition},
    {"jmp", Shape::Jump},     {"delay_ms", Shape::Count}, {"delay_s", Shape::Count},
    {"+=", Shape::Update},    {"-=", Shape::Update},    {"/=", Shape::Update},
    {"*=", Shape::Update},    {"#", Shape::LabelLine},  {"prgName", Shape::Name},
};

constexpr int StatementCount = int(sizeof statements / sizeof statements[0]);
const char *const elseWord = "else";
// The device keeps five characters of a program name.
constexpr int NameLength = 5;

// Characters that are special in a regular expression outside a class.
QString escaped(const char *word)
{
    QString out;
    for (const char *c = word; *c; ++c) {
        if (QByteArray("\\^$.|?*+()[]{}").contains(*c))
            out += QLatin1Char('\\');
        out += QLatin1Char(*c);
    }
    return out;
}

// "(Us|Uo|...)": a run of names that differ only in a rising last digit is
// written as a class, M1 to M8 as "M[1-8]".
QString alternation(bool withAssignSources, bool withNumber)
{
    QStringList names;
    for (const Operand &o : operands) {
        if (o.use == Use::Anywhere || (withAssignSources && o.use == Use::AssignSource))
            names << QLatin1String(o.name);
    }
    QStringList parts;
    if (withNumber)
        parts << QStringLiteral("-?\\d+");
    for (int i = 0; i < names.size();) {
        const QString &first = names.at(i);
        const QChar digit = first.back();
        int j = i + 1;
        while (digit.isDigit() && j < names.size() && names.at(j).chopped(1) == first.chopped(1)
               && names.at(j).back().unicode() == digit.unicode() + (j - i))
            ++j;
        parts << (j - i > 1 ? first.chopped(1) + QStringLiteral("[%1-%2]").arg(digit).arg(names.at(j - 1).back())
                            : first);
        i = j;
    }
    return QLatin1Char('(') + parts.join(QLatin1Char('|')) + QLatin1Char(')');
}

QString patternText(const Statement &s)
{
    const QString start = QStringLiteral("^\\s*");
    const QString tail = QStringLiteral("\\s*;\\s*$");
    const QString word = escaped(s.keyword);
    const QString label = escaped(statements[Label].keyword);
    const QString target = label + QStringLiteral("(\\d\\d?)");
    const QString destination = alternation(false, false);
    switch (s.shape) {
    case Shape::Word:
        return start + word + tail;
    case Shape::Assignment:
    case Shape::Update:
        return start + destination + QStringLiteral("\\s*") + word + QStringLiteral("\\s*")
            + alternation(s.shape == Shape::Assignment, true) + tail;
    case Shape::Condition: {
        QStringList operators;
        for (const auto &row : comparisons)
            operators << escaped(row.first);
        return start + word + QStringLiteral("\\s") + destination + QStringLiteral("\\s*(")
            + operators.join(QLatin1Char('|')) + QStringLiteral(")\\s*") + alternation(false, true)
            + QStringLiteral("\\s+") + target + QStringLiteral("(\\s+") + escaped(elseWord)
            + QStringLiteral("\\s") + target + QStringLiteral(")?") + tail;
    }
    case Shape::Jump:
        return start + word + QStringLiteral("\\s+") + target + tail;
    case Shape::Count:
        return start + word + QStringLiteral("\\s+(\\d+)") + tail;
    case Shape::LabelLine:
        return start + target + tail;
    case Shape::Name:
        return start + word + QStringLiteral("\\s*") + escaped(statements[Assign].keyword)
            + QStringLiteral("\\s*\"(\\w{1,%1})\"").arg(NameLength) + tail;
    }
    return QString();
}

} // namespace

QRegularExpression languageExpression(const QString &pattern)
{
    static const QString word = QStringLiteral("\\p{L}\\p{N}\\p{M}_");
    QString spelled;
    spelled.reserve(pattern.size());
    bool inClass = false;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            const QChar next = pattern.at(++i);
            if (next == QLatin1Char('w'))
                spelled += inClass ? word : QLatin1Char('[') + word + QLatin1Char(']');
            else
                spelled += c + QString(next);
            continue;
        }
        if (c == QLatin1Char('[') && !inClass) {
            inClass = true;
            spelled += c;
            // A "]" right after the opening (or after "^") is a member.
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('^'))
                spelled += pattern.at(++i);
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char(']'))
                spelled += pattern.at(++i);
            continue;
        }
        if (c == QLatin1Char(']'))
            inClass = false;
        spelled += c;
    }
    return QRegularExpression(spelled, languagePatternOptions);
}

const QStringList &statementPatternTexts()
{
    static const QStringList texts = [] {
        QStringList out;
        for (const Statement &s : statements)
            out << patternText(s);
        return out;
    }();
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
    CodeTable table;
    for (const Operand &o : operands)
        table.insert(QString::fromLatin1(o.name), o.code);
    return table;
}

CodeTable makeComparisonCodes()
{
    CodeTable table;
    for (const auto &row : comparisons)
        table.insert(QString::fromLatin1(row.first), row.second);
    return table;
}

QString keyForCode(const CodeTable &table, qint32 code)
{
    return table.key(code, QString());
}

QString statementKeyword(int code)
{
    return code >= 0 && code < StatementCount ? QString::fromLatin1(statements[code].keyword) : QString();
}

QString elseKeyword()
{
    return QString::fromLatin1(elseWord);
}

bool startsWithOperand(int code)
{
    if (code < 0 || code >= StatementCount)
        return false;
    const Shape shape = statements[code].shape;
    return shape == Shape::Assignment || shape == Shape::Update;
}

QStringList destinationOperands()
{
    QStringList names;
    for (const Operand &o : operands) {
        if (o.use == Use::Anywhere)
            names << QString::fromLatin1(o.name);
    }
    return names;
}
