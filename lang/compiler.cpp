#include "compiler.h"

#include <algorithm>

#include "lang/statementcode.h"
#include "lang/statementscanner.h"

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

void appendDecimal(char *&p, qint64 value)
{
    if (value < 0) {
        *p++ = '-';
        value = -value;
    }
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        *p++ = digits[--n];
}

void appendText(char *&p, const char *text)
{
    while (*text)
        *p++ = *text++;
}

// Appends InstructionRecord::listingLine() without the temporary strings
// that cost most of the time on a long program; the tests hold the two
// together.
void appendListingLine(QString &out, const InstructionRecord &r)
{
    char buffer[128];
    char *p = buffer;
    appendText(p, ">func:");
    appendDecimal(p, r.func);
    appendText(p, " oper:");
    const char *hex = "0123456789ABCDEF";
    if (r.oper >= 16)
        *p++ = hex[r.oper >> 4];
    *p++ = hex[r.oper & 0xF];
    appendText(p, " arg1:");
    appendDecimal(p, r.arg1);
    appendText(p, " arg3:");
    appendDecimal(p, r.arg2);
    appendText(p, " arg3:");
    appendDecimal(p, r.arg3);
    appendText(p, " arg4:");
    appendDecimal(p, r.arg4);
    out.append(QLatin1String(buffer, int(p - buffer)));
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

    // The shortcuts are only sound for the language's own patterns; any
    // other table is tried pattern by pattern on every line.
    m_standard = statementPatterns == makeStatementPatterns();
    if (m_standard) {
        for (int i = 0; i < m_patterns.size(); ++i)
            m_patternForCode[m_patterns.at(i).code] = i;
    }
}

Compiler::CodeList::CodeList(const CodeTable &table)
{
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        rows.append({it.key(), it.value()});
        const ushort first = it.key().isEmpty() ? 0 : it.key().at(0).unicode();
        if (first < 128)
            asciiFirst.set(first);
        else
            otherFirst = true;
    }
}

bool Compiler::CodeList::find(QStringView key, qint32 &code) const
{
    const qsizetype size = key.size();
    const ushort first = size == 0 ? 0 : key[0].unicode();
    if (first < 128 ? !asciiFirst.test(first) : !otherFirst)
        return false;
    for (const Code &row : rows) {
        if (row.key.size() != size)
            continue;
        const QChar *k = row.key.constData();
        qsizetype i = 0;
        while (i < size && k[i] == key[i])
            ++i;
        if (i == size) {
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

// Every pattern starts with optional whitespace and then either a keyword,
// "#", or a destination operand followed by its assignment operator. The
// first token therefore admits at most one pattern. Whenever a character
// might be whitespace in the Unicode sense (controls, anything outside
// ASCII), all the patterns that could still apply are tried instead.
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
    const ushort c = p->unicode();
    if (!isPrintable(c))
        return AllCodes;
    const QStringView rest(p, end);
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
    result.paneText.reserve(text.size() + text.size() / 4 + 64);
    auto newPaneLine = [&result](int sourceLine) {
        if (!result.paneSourceLines.isEmpty())
            result.paneText.append(QLatin1Char('\n'));
        result.paneSourceLines.append(sourceLine);
    };
    auto pane = [&result, &newPaneLine](const QString &line, int sourceLine) {
        newPaneLine(sourceLine);
        result.paneText.append(line);
    };
    auto error = [&result, &pane](const QString &message, int sourceLine) {
        pane(message, sourceLine);
        result.errors.append({sourceLine, message});
    };

    pane(QStringLiteral("Компиляция:"), 0);
    const QString errorPrefix = QStringLiteral("error: ");
    int errorCount = 0;

    // Lines are the parts between line feeds, empty ones included.
    const QStringView all(text);
    qsizetype lineStart = 0;
    for (int i = 0; lineStart <= all.size(); ++i) {
        // One pass finds the end of the line and what the line holds.
        bool printable = false;   // a character that is never whitespace
        bool plain = true;        // printable ASCII, spaces and tabs only
        bool comment = false;     // "//" anywhere
        qsizetype lineEnd = lineStart;
        ushort previous = 0;
        for (; lineEnd < all.size(); ++lineEnd) {
            const ushort c = all[lineEnd].unicode();
            if (c == '\n')
                break;
            if (isPrintable(c)) {
                printable = true;
                comment = comment || (c == '/' && previous == '/');
            } else if (!isPlainSpace(c)) {
                plain = false;
            }
            previous = c;
        }
        const QStringView line = all.mid(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const int sourceLine = i + 1;

        const bool blank = !printable && (plain || isBlank(line));
        if (blank || comment)
            continue;

        int code = -1;
        StatementCaptures cap;
        QString copy;  // what the regular-expression captures point into
        if (m_standard && plain) {
            code = scanStatement(line, cap);
        } else {
            copy = line.toString();
            const quint32 candidates = candidateCodes(line);
            for (const Pattern &pattern : m_patterns) {
                if (pattern.code >= 0 && pattern.code < StatementCount && !(candidates & bit(pattern.code)))
                    continue;
                const QRegularExpressionMatch match = pattern.expression.match(copy);
                if (match.hasMatch()) {
                    code = pattern.code;
                    for (int n = 1; n < int(cap.size()) && n <= match.lastCapturedIndex(); ++n)
                        cap[n] = match.capturedView(n);
                    break;
                }
            }
        }
        if (code < 0) {
            error(errorPrefix + line.toString(), sourceLine);
            ++errorCount;
            continue;
        }

        InstructionRecord record;
        bool makesRecord = true;
        Stop stop = Stop::None;
        auto number = [&cap, &stop](int capture, qint32 &out) {
            if (stop == Stop::None && !toNumber(cap[capture], out))
                stop = Stop::BadNumber;
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
            if (!m_comparisonCodes.find(cap[2], record.arg2)) {
                stop = Stop::BadOperator;
                break;
            }
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
            makesRecord = false;
            if (i != 0) {
                stop = Stop::MisplacedName;
                break;
            }
            result.programName = cap[1].toString();
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
            error(errorPrefix + line.toString(), sourceLine);
            return result;
        case Stop::BadOperator:
            error(errorPrefix + line.toString() + QStringLiteral("operator"), sourceLine);
            return result;
        case Stop::MisplacedName:
            error(errorPrefix + line.toString() + QStringLiteral(" должен быть в первой строке"), sourceLine);
            return result;
        }

        if (makesRecord) {
            result.records.append(record);
            result.recordSourceLines.append(sourceLine);
        }
        newPaneLine(sourceLine);
        result.paneText.append(line.data(), int(line.size()));
        if (makesRecord && (record.func & 1)) {
            newPaneLine(sourceLine);
            appendListingLine(result.paneText, record);
        }
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
