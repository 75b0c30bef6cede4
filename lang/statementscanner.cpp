#include "statementscanner.h"

#include <QLatin1String>

#include "lang/statementcode.h"

namespace {

inline bool isSpace(ushort c) { return c == ' ' || c == '\t'; }
inline bool isDigit(ushort c) { return c >= '0' && c <= '9'; }
inline bool isWord(ushort c)
{
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A read position in one line; 0 stands for "past the end" (a plain ASCII
// line holds no zero character).
struct Cursor
{
    QStringView text;
    qsizetype at = 0;

    ushort peek(qsizetype ahead = 0) const
    {
        return at + ahead < text.size() ? text[at + ahead].unicode() : 0;
    }
    int skipSpace()
    {
        int n = 0;
        while (isSpace(peek())) {
            ++at;
            ++n;
        }
        return n;
    }
    bool take(ushort c)
    {
        if (peek() != c)
            return false;
        ++at;
        return true;
    }
    bool take(QLatin1String word)
    {
        if (!text.mid(at).startsWith(word))
            return false;
        at += word.size();
        return true;
    }
    QStringView from(qsizetype start) const { return text.mid(start, at - start); }
    // "\s*;\s*$": every statement ends so.
    bool end()
    {
        skipSpace();
        if (!take(';'))
            return false;
        skipSpace();
        return at == text.size();
    }
};

// A destination operand (Ro only where `withRo`). No name is a prefix of
// another, so at most one alternative can match here.
QStringView operandName(Cursor &c, bool withRo)
{
    const qsizetype start = c.at;
    const ushort first = c.peek();
    const ushort second = c.peek(1);
    int length = 0;
    switch (first) {
    case 'U': length = (second == 's' || second == 'o') ? 2 : 0; break;
    case 'I': length = (second == 's' || second == 'o') ? 2 : 0; break;
    case 'O': length = (second == 'u' && c.peek(2) == 't') ? 3 : 0; break;
    case 'R': length = (withRo && second == 'o') ? 2 : 0; break;
    case 'M': length = (second >= '1' && second <= '8') ? 2 : 0; break;
    case 'T': length = (second >= '1' && second <= '4') ? 2 : 0; break;
    case 'K': length = second == '1' ? 2 : 0; break;
    case 'E':
        if (second == 'x' && c.peek(2) == 'I' && c.peek(3) == 'n')
            length = 4;
        else if (second == 'x' && c.peek(2) == 'O' && c.peek(3) == 'u' && c.peek(4) == 't')
            length = 5;
        break;
    default: break;
    }
    c.at += length;
    return c.from(start);
}

// "-?\d+" or an operand. What follows a value can never be a digit, so the
// digits are taken to the end of their run, as the pattern must.
QStringView value(Cursor &c, bool withRo)
{
    const qsizetype start = c.at;
    if (c.peek() == '-' || isDigit(c.peek())) {
        c.take('-');
        if (!isDigit(c.peek())) {
            c.at = start;
            return QStringView();
        }
        while (isDigit(c.peek()))
            ++c.at;
        return c.from(start);
    }
    return operandName(c, withRo);
}

// "\d+" (delays).
QStringView digits(Cursor &c)
{
    const qsizetype start = c.at;
    while (isDigit(c.peek()))
        ++c.at;
    return c.from(start);
}

// "\d\d?" (label numbers). A third digit makes whatever follows fail.
QStringView labelDigits(Cursor &c)
{
    const qsizetype start = c.at;
    if (isDigit(c.peek())) {
        ++c.at;
        if (isDigit(c.peek()))
            ++c.at;
    }
    return c.from(start);
}

// "==|!=|<|<=|>|>=": a value never starts with "=", so "<=" and ">=" win
// over "<" and ">" whenever they are there.
QStringView comparison(Cursor &c)
{
    const qsizetype start = c.at;
    const ushort first = c.peek();
    const ushort second = c.peek(1);
    if ((first == '=' || first == '!') && second == '=')
        c.at += 2;
    else if (first == '<' || first == '>')
        c.at += second == '=' ? 2 : 1;
    return c.from(start);
}

int scanIf(Cursor &c, StatementCaptures &cap)
{
    if (!c.take(QLatin1String("if")) || !isSpace(c.peek()))
        return -1;
    ++c.at;
    cap[1] = operandName(c, false);
    if (cap[1].isEmpty())
        return -1;
    c.skipSpace();
    cap[2] = comparison(c);
    if (cap[2].isEmpty())
        return -1;
    c.skipSpace();
    cap[3] = value(c, false);
    if (cap[3].isEmpty() || c.skipSpace() == 0 || !c.take('#'))
        return -1;
    cap[4] = labelDigits(c);
    if (cap[4].isEmpty())
        return -1;

    // The else group is optional: try it, and without it if the rest fails.
    Cursor withElse = c;
    const qsizetype groupStart = withElse.at;
    if (withElse.skipSpace() > 0 && withElse.take(QLatin1String("else")) && isSpace(withElse.peek())) {
        ++withElse.at;
        if (withElse.take('#')) {
            const QStringView target = labelDigits(withElse);
            const QStringView group = withElse.from(groupStart);
            if (!target.isEmpty() && withElse.end()) {
                cap[5] = group;
                cap[6] = target;
                return If;
            }
        }
    }
    return c.end() ? If : -1;
}

int scanAssignment(Cursor &c, StatementCaptures &cap)
{
    cap[1] = operandName(c, false);
    if (cap[1].isEmpty())
        return -1;
    c.skipSpace();
    int code = -1;
    switch (c.peek()) {
    case '=': code = Assign; break;
    case '+': code = AddAssign; break;
    case '-': code = SubAssign; break;
    case '/': code = DivAssign; break;
    case '*': code = MulAssign; break;
    default: return -1;
    }
    ++c.at;
    if (code != Assign && !c.take('='))
        return -1;
    c.skipSpace();
    cap[2] = value(c, code == Assign);
    return !cap[2].isEmpty() && c.end() ? code : -1;
}

} // namespace

int scanStatement(QStringView line, StatementCaptures &cap)
{
    cap.fill(QStringView());
    Cursor c{line};
    c.skipSpace();
    switch (c.peek()) {
    case 'n':
        return c.take(QLatin1String("nop")) && c.end() ? Nop : -1;
    case 'i':
        return scanIf(c, cap);
    case 'j':
        if (!c.take(QLatin1String("jmp")) || c.skipSpace() == 0 || !c.take('#'))
            return -1;
        cap[1] = labelDigits(c);
        return !cap[1].isEmpty() && c.end() ? Jmp : -1;
    case 'd': {
        int code = -1;
        if (c.take(QLatin1String("delay_ms")))
            code = DelayMs;
        else if (c.take(QLatin1String("delay_s")))
            code = DelayS;
        if (code < 0 || c.skipSpace() == 0)
            return -1;
        cap[1] = digits(c);
        return !cap[1].isEmpty() && c.end() ? code : -1;
    }
    case '#':
        ++c.at;
        cap[1] = labelDigits(c);
        return !cap[1].isEmpty() && c.end() ? Label : -1;
    case 'p': {
        if (!c.take(QLatin1String("prgName")))
            return -1;
        c.skipSpace();
        if (!c.take('='))
            return -1;
        c.skipSpace();
        if (!c.take('"'))
            return -1;
        const qsizetype start = c.at;
        while (isWord(c.peek()))
            ++c.at;
        cap[1] = c.from(start);
        if (cap[1].isEmpty() || cap[1].size() > 5 || !c.take('"'))
            return -1;
        return c.end() ? PrgName : -1;
    }
    default:
        return scanAssignment(c, cap);
    }
}
