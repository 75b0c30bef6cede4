#include "decodecommand.h"

#include <QFile>
#include <QVector>

#include "cli/argumenterror.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "lang/recorddecoder.h"
#include "link/devicecommands.h"

namespace {

constexpr int HexDigits = 2 * InstructionRecord::ImageSize;

bool isHexLine(const QByteArray &line)
{
    if (line.size() != HexDigits)
        return false;
    for (const char c : line) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

int runDecode(const QStringList &arguments)
{
    QString path;
    QString name = QStringLiteral("Prg1 ");
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--name")) {
            if (++i == arguments.size())
                return argumentError("decode", QStringLiteral("--name needs a value"));
            name = arguments.at(i);
        } else if (arg.startsWith(QLatin1String("--name="))) {
            name = arg.mid(7);
        } else if (arg.startsWith(QLatin1String("--"))) {
            return argumentError("decode", QStringLiteral("unknown option %1").arg(arg));
        } else if (path.isEmpty()) {
            path = arg;
        } else {
            return argumentError("decode", QStringLiteral("expects exactly one HEXFILE"));
        }
    }
    if (path.isEmpty())
        return argumentError("decode", QStringLiteral("expects exactly one HEXFILE"));
    if (name.size() > ProgramNameLength)
        return argumentError("decode", QStringLiteral("NAME has more than %1 characters").arg(ProgramNameLength));

    OutputStream err(stderr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err.writeLine(QStringLiteral("quillmar-cli decode: %1: cannot read: %2").arg(path, file.errorString()));
        return ExitUsage;
    }
    const QByteArray bytes = file.readAll();

    QVector<InstructionRecord> records;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        if (!isHexLine(line)) {
            err.writeLine(QStringLiteral("%1:%2: error: expected a record of %3 hex digits")
                              .arg(path)
                              .arg(i + 1)
                              .arg(HexDigits));
            return ExitUsage;
        }
        records.append(InstructionRecord::fromImage(QByteArray::fromHex(line)));
    }
    if (records.isEmpty()) {
        // The same answer the window gives for a memory cell with no program.
        err.writeLine(QStringLiteral("Нет записей для чтения"));
        return ExitFailure;
    }

    const DecodedProgram program = decodeProgram(records, name, makeOperandCodes(), makeComparisonCodes());
    if (!program.ok) {
        err.writeLine(program.message);
        return ExitFailure;
    }
    OutputStream out(stdout);
    for (const QString &line : program.lines)
        out.writeLine(line);
    return ExitSuccess;
}

} // namespace

CliCommand decodeCommand()
{
    return {"decode", "turn record images in hex back into program source",
            "Usage: quillmar-cli decode HEXFILE [--name NAME]\n"
            "\n"
            "Reads one record per line, 28 hex digits each (blank lines are ignored),\n"
            "checks the jump targets and prints the program source as the editor\n"
            "would receive it: the prgName line, an empty line, one line per record.\n"
            "\n"
            "  --name NAME   program name as read from the device, at most 5\n"
            "                characters (default \"Prg1 \"); surrounding spaces are\n"
            "                dropped in the prgName line\n"
            "\n"
            "Exit status: 0 on success; 1 when the records do not decode (the\n"
            "message goes to standard error) or HEXFILE holds no record at all\n"
            "(\"Нет записей для чтения\"); 2 when HEXFILE cannot be read, holds a\n"
            "line that is not a record, or the arguments are wrong.\n",
            runDecode};
}
