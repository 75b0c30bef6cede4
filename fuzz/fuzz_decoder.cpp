// The record decoder fed with what a download might read from a damaged or
// foreign device: five bytes of name (Latin-1), then up to 100 record images
// of 14 bytes (a short tail padded with 0). Whatever decodes and compiles
// again must decode to the very same text.

#include <QString>
#include <QVector>

#include "fuzzcheck.h"
#include "lang/compiler.h"
#include "lang/recorddecoder.h"
#include "link/devicecommands.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    static const CodeTable operands = makeOperandCodes();
    static const CodeTable comparisons = makeComparisonCodes();
    static const Compiler compiler(makeStatementPatterns(), operands, comparisons);

    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    QString name;
    applyProgramName(name, input.left(ProgramNameLength));
    QVector<InstructionRecord> records;
    for (int at = ProgramNameLength; at < input.size() && records.size() < 100; at += InstructionRecord::ImageSize)
        records.append(InstructionRecord::fromImage(input.mid(at, InstructionRecord::ImageSize)));
    if (records.isEmpty())
        return 0;

    const DecodedProgram decoded = decodeProgram(records, name, operands, comparisons);
    if (!decoded.ok) {
        FUZZ_CHECK(decoded.lines.isEmpty() && decoded.message.startsWith(QLatin1String("error: ")));
        return 0;
    }
    FUZZ_CHECK(decoded.message.isEmpty() && decoded.lines.size() == records.size() + 2);
    FUZZ_CHECK(decoded.lines.at(1).isEmpty());
    for (const QString &line : decoded.lines) {
        for (const QChar c : line)
            FUZZ_CHECK(c != QLatin1Char('\n') && c != QLatin1Char('\r') && c != QChar::LineSeparator
                       && c != QChar::ParagraphSeparator);
    }

    const CompileResult compiled = compiler.compile(decoded.lines.join(QLatin1Char('\n')));
    if (compiled.failed)
        return 0;
    FUZZ_CHECK(compiled.records.size() == records.size());
    // A name holding "//" turns the header into a comment: no name then.
    const DecodedProgram again = decodeProgram(
        compiled.records, compiled.nameSet ? compiled.programName : name, operands, comparisons);
    FUZZ_CHECK(again.ok && again.lines == decoded.lines);
    return 0;
}
