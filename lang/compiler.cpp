#include "compiler.h"

#include <algorithm>

#include "lang/statementcode.h"

namespace {

constexpr int StatementCount = 12;
constexpr quint32 AllCodes = (1u << StatementCount) - 1;
constexpr quint32 bit(int code) { return 1u << code; }
constexpr quint32 AssignFamily =
    bit(Assign) | bit(AddAssign) | bit(SubAssign) | bit(DivAssign) | bit(MulAssign);

// Characters that every reading of \s treats as space.
inline bool isPlainSpace(ushort c) { return c == ' ' || c == '\t'; }
// Printable ASCII other than space: never whitespace in any reading of \s.
inline bool isPrintable(ushort c) { return c > 0x20 && c < 0x7F; }
inline bool isAsciiAlnum(ushort c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

enum class Stop { None, BadNumber, BadOperator, MisplacedName };

// Decimal text to a signed 32-bit value; false when it does not fit.
bool toNumber(QStringView text, qint32 &out)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        out = value;
    return ok;
}

} // namespace

Compiler::Compiler(const QHash<QString, int> &statementPatterns, const CodeTable &operandCodes,
                   const CodeTable &comparisonCodes)
    : m_patternForCode(StatementCount, -1),
      m_blank(QStringLiteral("^\\s*$"), languagePatternOptions),
      m_operandCodes(operandCodes),
      m_comparisonCodes(comparisonCodes)
{
    for (auto it = statementPatterns.cbegin(); it != statementPatterns.cend(); ++it)
        m_patterns.append({QRegularExpression(it.key(), languagePatternOptions), it.value()});
    std::sort(m_patterns.begin(), m_patterns.end(),
              [](const Pattern &a, const Pattern &b) { return a.code < b.code; });
    for (Pattern &p : m_patterns)
        p.expression.optimize();
    m_blank.optimize();

    // Dispatching on the first token is only sound for the language's own
    // patterns; any other table is tried pattern by pattern.
    m_dispatch = statementPatterns == makeStatementPatterns();
    if (m_dispatch) {
        for (int i = 0; i < m_patterns.size(); ++i)
            m_patternForCode[m_patterns.at(i).code] = i;
    }
}

bool Compiler::isBlank(const QString &line) const
{
    bool unsure = false;
    for (const QChar ch : line) {
        const ushort c = ch.unicode();
        if (isPrintable(c))
            return false;
        if (!isPlainSpace(c))
            unsure = true;
    }
    return !unsure || m_blank.match(line).hasMatch();
}

// Every pattern starts with optional whitespace and then either a keyword,
// "#", or a destination operand followed by its assignment operator. The
// first token therefore admits at most one pattern. Whenever a character
// might be whitespace in the Unicode sense (controls, anything outside
// ASCII), all the patterns that could still apply are tried instead.
quint32 Compiler::candidateCodes(const QString &line) const
{
    if (!m_dispatch)
        return AllCodes;
    const QChar *p = line.constData();
    const QChar *end = p + line.size();
    while (p != end && isPlainSpace(p->unicode()))
        ++p;
    if (p == end)
        return 0;
    const ushort c = p->unicode();
    if (!isPrintable(c))
        return AllCodes;
    const QStringView rest(p, end - p);
    switch (c) {
    case 'n':
        return bit(Nop);
    case 'i':
        return bit(If);
    case 'j':
        return bit(Jmp);
    case '#':
        return bit(Label);
    case 'p':
        return bit(PrgName);
    case 'd':
        if (rest.startsWith(QLatin1String("delay_m")))
            return bit(DelayMs);
        if (rest.startsWith(QLatin1String("delay_s")))
            return bit(DelayS);
        return 0;
    case 'U': case 'I': case 'O': case 'M': case 'T': case 'K': case 'E': {
        const QChar *q = p;
        while (q != end && isAsciiAlnum(q->unicode()))
            ++q;
        while (q != end && isPlainSpace(q->unicode()))
            ++q;
        if (q == end)
            return 0;
        switch (q->unicode()) {
        case '=': return bit(Assign);
        case '+': return bit(AddAssign);
        case '-': return bit(SubAssign);
        case '/': return bit(DivAssign);
        case '*': return bit(MulAssign);
        default: return isPrintable(q->unicode()) ? 0 : AssignFamily;
        }
    }
    default:
        return 0;
    }
}

CompileResult Compiler::compile(const QString &text) const
{
    CompileResult result;
    auto pane = [&result](const QString &line, int sourceLine) {
        result.paneLines.append(line);
        result.paneSourceLines.append(sourceLine);
    };
    auto error = [&result, &pane](const QString &message, int sourceLine) {
        pane(message, sourceLine);
        result.errors.append({sourceLine, message});
    };

    pane(QStringLiteral("Компиляция:"), 0);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString errorPrefix = QStringLiteral("error: ");
    int errorCount = 0;

    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const int sourceLine = i + 1;
        if (isBlank(line) || line.contains(QLatin1String("//")))
            continue;

        int code = -1;
        QRegularExpressionMatch match;
        const quint32 candidates = candidateCodes(line);
        if (m_dispatch) {
            for (int c = 0; c < StatementCount && code < 0; ++c) {
                if (!(candidates & bit(c)) || m_patternForCode.at(c) < 0)
                    continue;
                match = m_patterns.at(m_patternForCode.at(c)).expression.match(line);
                if (match.hasMatch())
                    code = c;
            }
        } else {
            for (const Pattern &pattern : m_patterns) {
                match = pattern.expression.match(line);
                if (match.hasMatch()) {
                    code = pattern.code;
                    break;
                }
            }
        }
        if (code < 0) {
            error(errorPrefix + line, sourceLine);
            ++errorCount;
            continue;
        }

        InstructionRecord record;
        bool makesRecord = true;
        Stop stop = Stop::None;
        auto number = [&match, &stop](int capture, qint32 &out) {
            if (stop == Stop::None && !toNumber(match.capturedView(capture), out))
                stop = Stop::BadNumber;
        };
        // The source or right-hand side: an operand by its code, else a number.
        auto value = [this, &match, &record, &number](int capture) {
            const QString text = match.captured(capture);
            const auto it = m_operandCodes.constFind(text);
            if (it != m_operandCodes.cend()) {
                record.arg1 = it.value();
                record.oper |= OperandFlag;
            } else {
                number(capture, record.arg1);
            }
        };

        switch (code) {
        case Nop:
            break;
        case Assign: case AddAssign: case SubAssign: case DivAssign: case MulAssign:
            record.func = quint8(code);
            record.oper = quint8(m_operandCodes.value(match.captured(1)));
            value(2);
            break;
        case If: {
            record.func = quint8(code);
            record.oper = quint8(m_operandCodes.value(match.captured(1)));
            const auto cmp = m_comparisonCodes.constFind(match.captured(2));
            if (cmp == m_comparisonCodes.cend()) {
                stop = Stop::BadOperator;
                break;
            }
            record.arg2 = cmp.value();
            value(3);
            qint32 target = 0;
            number(4, target);
            record.arg3 = qint16(target);
            target = 0;
            if (match.capturedLength(6) > 0)
                number(6, target);
            record.arg4 = qint16(target);
            break;
        }
        case Jmp: case DelayMs: case DelayS: case Label:
            record.func = quint8(code);
            number(1, record.arg1);
            break;
        case PrgName:
            makesRecord = false;
            if (i != 0) {
                stop = Stop::MisplacedName;
                break;
            }
            result.programName = match.captured(1);
            result.nameSet = true;
            break;
        default:
            // A pattern table with codes the language does not know: the
            // line matched, but there is nothing to encode.
            makesRecord = false;
            break;
        }

        switch (stop) {
        case Stop::None:
            break;
        case Stop::BadNumber:
            error(errorPrefix + line, sourceLine);
            return result;
        case Stop::BadOperator:
            error(errorPrefix + line + QStringLiteral("operator"), sourceLine);
            return result;
        case Stop::MisplacedName:
            error(errorPrefix + line + QStringLiteral(" должен быть в первой строке"), sourceLine);
            return result;
        }

        if (makesRecord) {
            result.records.append(record);
            result.recordSourceLines.append(sourceLine);
        }
        pane(line, sourceLine);
        if (makesRecord && (record.func & 1))
            pane(record.listingLine(), sourceLine);
    }

    pane(QString(), 0);
    if (errorCount != 0)
        return result;

    // Label pass: targets become the positions of their label records. The
    // first definition of a label wins; every offending record is reported.
    QVector<InstructionRecord> &records = result.records;
    const QVector<int> &from = result.recordSourceLines;
    QHash<qint32, int> labelIndex;
    bool labelError = false;
    for (int p = 0; p < records.size(); ++p) {
        if (records.at(p).func != Label)
            continue;
        const qint32 label = records.at(p).arg1;
        if (labelIndex.contains(label)) {
            error(QStringLiteral("error: повтор ссылки #%1").arg(label), from.at(p));
            labelError = true;
        } else {
            labelIndex.insert(label, p);
        }
    }
    for (int p = 0; p < records.size(); ++p) {
        InstructionRecord &r = records[p];
        if (r.func == If) {
            const auto then = labelIndex.constFind(r.arg3);
            if (then == labelIndex.cend()) {
                error(QStringLiteral("error if: ссылка #%1 не найдена").arg(r.arg3), from.at(p));
                labelError = true;
                continue;
            }
            r.arg3 = qint16(then.value());
            if (r.arg4 == 0)
                continue;
            const auto otherwise = labelIndex.constFind(r.arg4);
            if (otherwise == labelIndex.cend()) {
                error(QStringLiteral("error if-else: ссылка #%1 не найдена").arg(r.arg4), from.at(p));
                labelError = true;
            } else if (otherwise.value() == 0) {
                // Position 0 in the else field reads as "no else branch": the
                // device would silently run a different program.
                error(QStringLiteral("error if-else: ссылка #%1 указывает на первую строку программы")
                          .arg(r.arg4),
                      from.at(p));
                labelError = true;
            } else {
                r.arg4 = qint16(otherwise.value());
            }
        } else if (r.func == Jmp) {
            const auto target = labelIndex.constFind(r.arg1);
            if (target == labelIndex.cend()) {
                error(QStringLiteral("error jmp: ссылка #%1 не найдена").arg(r.arg1), from.at(p));
                labelError = true;
            } else {
                r.arg1 = target.value();
            }
        }
    }
    if (labelError)
        return result;

    pane(QStringLiteral("OK: %1/100").arg(records.size()), 0);
    result.failed = false;
    return result;
}
