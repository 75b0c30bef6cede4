#include "recorddecoder.h"

#include <QHash>

#include "lang/statementcode.h"

namespace {

DecodedProgram failure(const QString &message)
{
    DecodedProgram out;
    out.message = message;
    return out;
}

// Checks that `target` names a label record: returns the first message that
// applies, or an empty string.
QString checkTarget(const QVector<InstructionRecord> &records, qint64 target,
                    const char *outOfRange, const char *notLabel)
{
    // A negative target can never be an index; it is as wrong as one past
    // the end.
    if (target < 0 || target >= records.size())
        return QString::fromUtf8(outOfRange);
    if (records.at(int(target)).func != Label)
        return QString::fromUtf8(notLabel);
    return QString();
}

// " = ", " += "...: the assignment's operator between spaces.
QString operatorText(int func)
{
    return QLatin1Char(' ') + statementKeyword(func) + QLatin1Char(' ');
}

// What stands before the number: the keyword and a space, or the label sign.
QString prefixText(int func)
{
    const QString label = statementKeyword(Label);
    switch (func) {
    case Jmp: return statementKeyword(Jmp) + QLatin1Char(' ') + label;
    case DelayMs: case DelayS: return statementKeyword(func) + QLatin1Char(' ');
    default: return label;
    }
}

} // namespace

DecodedProgram decodeProgram(QVector<InstructionRecord> records, const QString &name,
                             const CodeTable &operandCodes, const CodeTable &comparisonCodes)
{
    // Pass 1: a label number may occur only once.
    QHash<qint32, int> labelIndex;
    for (int i = 0; i < records.size(); ++i) {
        const InstructionRecord &r = records.at(i);
        if (r.func != Label)
            continue;
        if (labelIndex.contains(r.arg1))
            return failure(QStringLiteral("error: повтор ссылки #%1").arg(r.arg1));
        labelIndex.insert(r.arg1, i);
    }

    // Pass 2: every reference lands on a label record and becomes its
    // number. Only the func and arg1 of target records are read, and those
    // are never rewritten, so the order of rewriting does not matter.
    for (InstructionRecord &r : records) {
        if (r.func == If) {
            QString message = checkTarget(records, r.arg3, "error: некорректная ссылка if",
                                          "error: некорректная ссылка #");
            if (!message.isEmpty())
                return failure(message);
            const qint32 thenLabel = records.at(r.arg3).arg1;
            const qint16 elseTarget = r.arg4;
            if (elseTarget > 0) {
                message = checkTarget(records, elseTarget, "error: некорректная ссылка if-else",
                                      "error: некорректная ссылка else #");
                if (!message.isEmpty())
                    return failure(message);
                // Label 0 written as an else target means "no else": the
                // branch could not be written back with the same meaning.
                if (records.at(elseTarget).arg1 == 0)
                    return failure(QStringLiteral("error: некорректная ссылка else #"));
                r.arg4 = qint16(records.at(elseTarget).arg1);
            }
            r.arg3 = qint16(thenLabel);
        } else if (r.func == Jmp) {
            const QString message = checkTarget(records, r.arg1, "error: некорректная ссылка jmp",
                                                "error: некорректная ссылка jmp #");
            if (!message.isEmpty())
                return failure(message);
            r.arg1 = records.at(r.arg1).arg1;
        }
    }

    // Pass 3: the text.
    DecodedProgram out;
    out.lines.reserve(records.size() + 2);
    // The header must stay one line: a line break inside a name read from
    // the device would split it and push every statement down a line.
    QString shownName = name.trimmed();
    for (QChar &c : shownName) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    out.lines.append(QStringLiteral("prgName = \"") + shownName + QStringLiteral("\";"));
    out.lines.append(QString());
    for (const InstructionRecord &r : records) {
        const QString operand = keyForCode(operandCodes, r.oper & 0x3F);
        const QString value = (r.oper & 0xC0) ? keyForCode(operandCodes, r.arg1) : QString::number(r.arg1);
        switch (r.func) {
        case Nop:
            out.lines.append(statementKeyword(Nop) + QLatin1Char(';'));
            break;
        case Assign: case AddAssign: case SubAssign: case DivAssign: case MulAssign:
            out.lines.append(operand + operatorText(r.func) + value + QLatin1Char(';'));
            break;
        case If: {
            const QString label = statementKeyword(Label);
            QString line = statementKeyword(If) + QLatin1Char(' ') + operand + QLatin1Char(' ')
                + keyForCode(comparisonCodes, r.arg2) + QLatin1Char(' ') + value + QLatin1Char(' ')
                + label + QString::number(r.arg3);
            if (r.arg4 > 0)
                line += QLatin1Char(' ') + elseKeyword() + QLatin1Char(' ') + label + QString::number(r.arg4);
            line += QLatin1Char(';');
            out.lines.append(line);
            break;
        }
        case Jmp: case DelayMs: case DelayS: case Label:
            out.lines.append(prefixText(r.func) + QString::number(r.arg1) + QLatin1Char(';'));
            break;
        default:
            // No text form: dropping the record would change the program.
            return failure(QStringLiteral("error: неизвестная команда %1").arg(int(r.func)));
        }
    }
    out.ok = true;
    return out;
}
