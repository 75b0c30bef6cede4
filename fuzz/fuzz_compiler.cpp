// The compiler fed with arbitrary text.
//
// Oracles:
// - trying only the patterns a line's first token admits and trying every
//   pattern on every line give the same result for every text;
// - whatever compiles decodes, and the decoded text compiles again to the
//   same records and name. Refusals the decoder documents are allowed: an
//   else branch to the label numbered 0, and a name that does not survive
//   the device (characters beyond Latin-1).

#include <QByteArray>
#include <QString>
#include <QVector>

#include "fuzzcheck.h"
#include "lang/compiler.h"
#include "lang/recorddecoder.h"
#include "lang/statementcode.h"
#include "link/devicecommands.h"

namespace {

// The language's patterns plus one that never matches: the compiler then
// may not dispatch on the first token and runs every pattern on every line.
QHash<QString, int> slowPatterns()
{
    QHash<QString, int> patterns = makeStatementPatterns();
    patterns.insert(QStringLiteral("(?!)"), 12);
    return patterns;
}

bool elseToLabelZero(const QVector<InstructionRecord> &records)
{
    for (const InstructionRecord &r : records) {
        if (r.func == If && r.arg4 > 0 && r.arg4 < records.size()
            && records.at(r.arg4).func == Label && records.at(r.arg4).arg1 == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    static const CodeTable operands = makeOperandCodes();
    static const CodeTable comparisons = makeComparisonCodes();
    static const Compiler fast(makeStatementPatterns(), operands, comparisons);
    static const Compiler slow(slowPatterns(), operands, comparisons);

    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const CompileResult first = fast.compile(text);

    const CompileResult reference = slow.compile(text);
    FUZZ_CHECK(first.paneText == reference.paneText);
    FUZZ_CHECK(first.paneSourceLines == reference.paneSourceLines);
    FUZZ_CHECK(first.records == reference.records);
    FUZZ_CHECK(first.failed == reference.failed);
    FUZZ_CHECK(first.nameSet == reference.nameSet && first.programName == reference.programName);
    FUZZ_CHECK(first.paneLines().size() == first.paneSourceLines.size());
    FUZZ_CHECK(first.records.size() == first.recordSourceLines.size());
    FUZZ_CHECK(first.failed
               || first.paneText.endsWith(QStringLiteral("OK: %1/100").arg(first.records.size())));
    if (first.failed || first.records.isEmpty())
        return 0;
    FUZZ_CHECK(first.errors.isEmpty());

    // The name as it comes back from the device: five Latin-1 characters.
    const QString sent = first.nameSet ? first.programName : QStringLiteral("Prg1");
    QString name;
    applyProgramName(name, encodeProgramName(sent));
    const DecodedProgram decoded = decodeProgram(first.records, name, operands, comparisons);
    if (!decoded.ok) {
        FUZZ_CHECK(decoded.message == QLatin1String("error: некорректная ссылка else #"));
        FUZZ_CHECK(elseToLabelZero(first.records));
        return 0;
    }
    const CompileResult second = fast.compile(decoded.lines.join(QLatin1Char('\n')));
    bool latin1 = true;
    for (const QChar c : sent)
        latin1 = latin1 && c.unicode() <= 0xFF;
    if (!latin1)
        return 0;
    FUZZ_CHECK(!second.failed);
    FUZZ_CHECK(second.records == first.records);
    FUZZ_CHECK(second.programName == sent);
    return 0;
}
