// The record decoder fed with arbitrary records and names, as a download
// might read them from a damaged or foreign device.
//
// Input: five bytes of program name (Latin-1, as the device stores it),
// then 14-byte record images (at most 100; a short tail is padded with 0).
// Whatever text the decoder writes is compiled again: if that compiles, the
// compiled records must decode to the very same text.

#include <QByteArray>
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
    for (int at = ProgramNameLength; at < input.size() && records.size() < 100;
         at += InstructionRecord::ImageSize)
        records.append(InstructionRecord::fromImage(input.mid(at, InstructionRecord::ImageSize)));
    if (records.isEmpty())
        return 0;

    const QVector<InstructionRecord> original = records;
    const DecodedProgram decoded = decodeProgram(records, name, operands, comparisons);
    FUZZ_CHECK(records == original); // taken by value
    if (!decoded.ok) {
        FUZZ_CHECK(decoded.lines.isEmpty());
        FUZZ_CHECK(decoded.message.startsWith(QLatin1String("error: ")));
        return 0;
    }
    FUZZ_CHECK(decoded.message.isEmpty());
    FUZZ_CHECK(decoded.lines.size() == records.size() + 2);
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
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.lines == decoded.lines);
    return 0;
}
