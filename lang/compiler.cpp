#include "compiler.h"

#include <algorithm>

#include "lang/statementcode.h"

namespace {

constexpr int StatementCount = 12;
constexpr quint32 AllCodes = (1u << StatementCount) - 1;
constexpr quint32 bit(int code) { return 1u << code; }

// Characters that every reading of \s treats as space.
inline bool isPlainSpace(ushort c) { return c == ' ' || c == '\t'; }
// Printable ASCII other than space: never whitespace in any reading of \s.
inline bool isPrintable(ushort c) { return c > 0x20 && c < 0x7F; }
inline bool isNameCharacter(ushort c) { return c < 0x80 && (QChar::isLetterOrNumber(c) || c == '_'); }

// Decimal text to a signed 32-bit value; false when it does not fit. Plain
// ASCII text is converted here, anything else the way QString does it.
bool toNumber(QStringView text, qint32 &out)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == QLatin1Char('-');
    if (negative)
        ++i;
    if (i == text.size())
        return false;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const ushort c = text[i].unicode();
        if (c < '0' || c > '9') {
            bool ok = false;
            const int converted = text.toInt(&ok, 10);
            if (ok)
                out = converted;
            return ok;
        }
        if (value <= qint64(1) << 32)
            value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return false;
    out = qint32(value);
    return true;
}

// The end of the line that starts at `start` (its line feed or the end of
// the text), and what the line holds, in one pass.
qsizetype endOfLine(QStringView all, qsizetype start, bool &printable, bool &comment)
{
    printable = false;  // a character that is never whitespace
    comment = false;    // "//" anywhere
    ushort previous = 0;
    qsizetype end = start;
    for (; end < all.size(); ++end) {
        const ushort c = all[end].unicode();
        if (c == '\n')
            break;
        if (isPrintable(c)) {
            printable = true;
            comment = comment || (c == '/' && previous == '/');
        }
        previous = c;
    }
    return end;
}

void newPaneLine(CompileResult &result, int sourceLine)
{
    if (!result.paneSourceLines.isEmpty())
        result.paneText.append(QLatin1Char('\n'));
    result.paneSourceLines.append(sourceLine);
}

void paneLine(CompileResult &result, const QString &line, int sourceLine)
{
    newPaneLine(result, sourceLine);
    result.paneText.append(line);
}

void errorLine(CompileResult &result, const QString &message, int sourceLine)
{
    paneLine(result, message, sourceLine);
    result.errors.append({sourceLine, message});
}

// Targets become the positions of their label records. The first definition
// of a label wins; every offending record is reported. False on any error.
bool resolveLabels(CompileResult &result)
{
    QVector<InstructionRecord> &records = result.records;
    const QVector<int> &from = result.recordSourceLines;
    QHash<qint32, int> labelIndex;
    bool ok = true;
    auto fail = [&result, &ok](const QString &message, int sourceLine) {
        errorLine(result, message, sourceLine);
        ok = false;
    };
    for (int p = 0; p < records.size(); ++p) {
        if (records.at(p).func != Label)
            continue;
        const qint32 label = records.at(p).arg1;
        if (labelIndex.contains(label))
            fail(QStringLiteral("error: повтор ссылки #%1").arg(label), from.at(p));
        else
            labelIndex.insert(label, p);
    }
    for (int p = 0; p < records.size(); ++p) {
        InstructionRecord &r = records[p];
        if (r.func == If) {
            const auto then = labelIndex.constFind(r.arg3);
            if (then == labelIndex.cend()) {
                fail(QStringLiteral("error if: ссылка #%1 не найдена").arg(r.arg3), from.at(p));
                continue;
            }
            r.arg3 = qint16(then.value());
            if (r.arg4 == 0)
                continue;
            const auto otherwise = labelIndex.constFind(r.arg4);
            if (otherwise == labelIndex.cend()) {
                fail(QStringLiteral("error if-else: ссылка #%1 не найдена").arg(r.arg4), from.at(p));
            } else if (otherwise.value() == 0) {
                // Position 0 in the else field reads as "no else branch": the
                // device would silently run a different program.
                fail(QStringLiteral("error if-else: ссылка #%1 указывает на первую строку программы")
                         .arg(r.arg4),
                     from.at(p));
            } else {
                r.arg4 = qint16(otherwise.value());
            }
        } else if (r.func == Jmp) {
            const auto target = labelIndex.constFind(r.arg1);
            if (target == labelIndex.cend())
                fail(QStringLiteral("error jmp: ссылка #%1 не найдена").arg(r.arg1), from.at(p));
            else
                r.arg1 = target.value();
        }
    }
    return ok;
}

} // namespace

Compiler::Compiler(const QHash<QString, int> &statementPatterns, const CodeTable &operandCodes,
                   const CodeTable &comparisonCodes)
    : m_blank(languageExpression(QStringLiteral("^\\s*$"))),
      m_operandCodes(operandCodes),
      m_comparisonCodes(comparisonCodes)
{
    for (auto it = statementPatterns.cbegin(); it != statementPatterns.cend(); ++it)
        m_patterns.append({languageExpression(it.key()), it.value()});
    std::sort(m_patterns.begin(), m_patterns.end(),
              [](const Pattern &a, const Pattern &b) { return a.code < b.code; });
    for (Pattern &p : m_patterns)
        p.expression.optimize();
    m_blank.optimize();

    // The dispatch is only sound for the language's own patterns; any
    // other table is tried pattern by pattern on every line.
    m_standard = statementPatterns == makeStatementPatterns();
    if (m_standard)
        buildDispatch();
}

// Every statement starts, after optional whitespace, with its keyword or
// with a destination operand followed by its operator; no two statements
// start alike, so the first token admits at most one pattern.
void Compiler::buildDispatch()
{
    auto add = [](std::array<quint32, 128> &table, const QString &word, int code) {
        const ushort first = word.isEmpty() ? 0 : word.at(0).unicode();
        if (first < 128)
            table[first] |= bit(code);
    };
    const QStringList operands = destinationOperands();
    for (int code = 0; code < StatementCount; ++code) {
        if (!startsWithOperand(code)) {
            add(m_byFirst, statementKeyword(code), code);
            continue;
        }
        m_operandLed |= bit(code);
        add(m_byOperator, statementKeyword(code), code);
        for (const QString &name : operands)
            add(m_byFirst, name, code);
    }
}

Compiler::CodeList::CodeList(const CodeTable &table)
{
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        rows.append({it.key(), it.value()});
}

bool Compiler::CodeList::find(QStringView key, qint32 &code) const
{
    for (const Code &row : rows) {
        if (QStringView(row.key) == key) {
            code = row.code;
            return true;
        }
    }
    return false;
}

bool Compiler::isBlank(QStringView line) const
{
    bool unsure = false;
    for (const QChar ch : line) {
        const ushort c = ch.unicode();
        if (isPrintable(c))
            return false;
        if (!isPlainSpace(c))
            unsure = true;
    }
    return !unsure || m_blank.match(line.toString()).hasMatch();
}

// Whenever a character might be whitespace in the Unicode sense (controls,
// anything outside ASCII), every pattern that could still apply is tried.
// A word that starts outside ASCII finds no row and so is tried likewise.
quint32 Compiler::candidateCodes(QStringView line) const
{
    if (!m_standard)
        return AllCodes;
    const QChar *p = line.begin();
    const QChar *end = line.end();
    while (p != end && isPlainSpace(p->unicode()))
        ++p;
    if (p == end)
        return 0;
    if (!isPrintable(p->unicode()))
        return AllCodes;
    const quint32 codes = m_byFirst[p->unicode()];
    if (!(codes & m_operandLed))
        return codes;
    // Past the operand name and plain spaces stands the operator.
    while (p != end && isNameCharacter(p->unicode()))
        ++p;
    while (p != end && isPlainSpace(p->unicode()))
        ++p;
    if (p == end)
        return codes & ~m_operandLed;
    if (!isPrintable(p->unicode()))
        return codes;
    return (codes & ~m_operandLed) | (m_byOperator[p->unicode()] & codes);
}

int Compiler::match(QStringView line, QString &copy, Captures &cap) const
{
    copy = line.toString();
    const quint32 candidates = candidateCodes(line);
    for (const Pattern &pattern : m_patterns) {
        if (pattern.code >= 0 && pattern.code < StatementCount && !(candidates & bit(pattern.code)))
            continue;
        const QRegularExpressionMatch found = pattern.expression.match(copy);
        if (found.hasMatch()) {
            for (int n = 1; n < int(cap.size()) && n <= found.lastCapturedIndex(); ++n)
                cap[n] = found.capturedView(n);
            return pattern.code;
        }
    }
    return -1;
}

Compiler::Outcome Compiler::encode(int code, const Captures &cap, int index, InstructionRecord &record,
                                   CompileResult &result) const
{
    bool numbersOk = true;
    auto number = [&cap, &numbersOk](int capture, qint32 &out) {
        numbersOk = numbersOk && toNumber(cap[capture], out);
    };
    // The source or right-hand side: an operand by its code, else a number.
    auto value = [this, &cap, &record, &number](int capture) {
        if (m_operandCodes.find(cap[capture], record.arg1))
            record.oper |= OperandFlag;
        else
            number(capture, record.arg1);
    };
    auto destination = [this, &cap, &record]() {
        qint32 operand = 0;
        m_operandCodes.find(cap[1], operand);
        record.oper = quint8(operand);
    };

    switch (code) {
    case Nop:
        break;
    case Assign: case AddAssign: case SubAssign: case DivAssign: case MulAssign:
        record.func = quint8(code);
        destination();
        value(2);
        break;
    case If: {
        record.func = quint8(code);
        destination();
        if (!m_comparisonCodes.find(cap[2], record.arg2))
            return Outcome::BadOperator;
        value(3);
        qint32 target = 0;
        number(4, target);
        record.arg3 = qint16(target);
        target = 0;
        if (!cap[6].isEmpty())
            number(6, target);
        record.arg4 = qint16(target);
        break;
    }
    case Jmp: case DelayMs: case DelayS: case Label:
        record.func = quint8(code);
        number(1, record.arg1);
        break;
    case PrgName:
        if (index != 0)
            return Outcome::MisplacedName;
        result.programName = cap[1].toString();
        result.nameSet = true;
        return Outcome::NoRecord;
    default:
        // A pattern table with codes the language does not know: the line
        // matched, but there is nothing to encode.
        return Outcome::NoRecord;
    }
    return numbersOk ? Outcome::Record : Outcome::BadNumber;
}

bool Compiler::compileLine(QStringView line, int index, CompileResult &result, int &errorCount) const
{
    const int sourceLine = index + 1;
    const QString errorPrefix = QStringLiteral("error: ");
    Captures cap;
    QString copy;
    const int code = match(line, copy, cap);
    if (code < 0) {
        errorLine(result, errorPrefix + line.toString(), sourceLine);
        ++errorCount;
        return true;
    }

    InstructionRecord record;
    const Outcome outcome = encode(code, cap, index, record, result);
    if (outcome == Outcome::BadNumber || outcome == Outcome::BadOperator
        || outcome == Outcome::MisplacedName) {
        QString message = errorPrefix + line.toString();
        if (outcome == Outcome::BadOperator)
            message += QStringLiteral("operator");
        else if (outcome == Outcome::MisplacedName)
            message += QStringLiteral(" должен быть в первой строке");
        errorLine(result, message, sourceLine);
        return false;
    }
    if (outcome == Outcome::Record) {
        result.records.append(record);
        result.recordSourceLines.append(sourceLine);
    }
    newPaneLine(result, sourceLine);
    result.paneText.append(line.data(), int(line.size()));
    // Only the odd statement codes are listed.
    if (outcome == Outcome::Record && (record.func & 1)) {
        newPaneLine(result, sourceLine);
        record.appendListingLine(result.paneText);
    }
    return true;
}

CompileResult Compiler::compile(const QString &text) const
{
    CompileResult result;
    result.paneText.reserve(text.size() + text.size() / 4 + 64);
    paneLine(result, QStringLiteral("Компиляция:"), 0);
    int errorCount = 0;

    // Lines are the parts between line feeds, empty ones included.
    const QStringView all(text);
    qsizetype lineStart = 0;
    for (int i = 0; lineStart <= all.size(); ++i) {
        bool printable = false;
        bool comment = false;
        const qsizetype lineEnd = endOfLine(all, lineStart, printable, comment);
        const QStringView line = all.mid(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        // A line holding "//" is never compiled, even with a statement before it.
        if (comment || (!printable && isBlank(line)))
            continue;
        if (!compileLine(line, i, result, errorCount))
            return result;
    }

    paneLine(result, QString(), 0);
    if (errorCount != 0 || !resolveLabels(result))
        return result;
    paneLine(result, QStringLiteral("OK: %1/100").arg(result.records.size()), 0);
    result.failed = false;
    return result;
}
