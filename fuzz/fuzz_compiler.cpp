// The compiler fed with arbitrary text. Oracles: dispatching on a line's
// first token gives what trying every pattern gives; whatever compiles
// decodes and compiles again to the same records and name, except for the
// decoder's documented refusals (an else branch to label 0, a name beyond
// Latin-1 that does not survive the device).

#include <QString>
#include <QVector>

#include "fuzzcheck.h"
#include "lang/compiler.h"
#include "lang/recorddecoder.h"
#include "lang/statementcode.h"
#include "link/devicecommands.h"

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    static const CodeTable operands = makeOperandCodes();
    static const CodeTable comparisons = makeComparisonCodes();
    static const Compiler fast(makeStatementPatterns(), operands, comparisons);
    // A pattern that never matches switches the first-token dispatch off.
    static const Compiler slow([] {
        QHash<QString, int> patterns = makeStatementPatterns();
        patterns.insert(QStringLiteral("(?!)"), 12);
        return patterns;
    }(), operands, comparisons);

    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const CompileResult first = fast.compile(text);
    const CompileResult reference = slow.compile(text);
    FUZZ_CHECK(first.paneText == reference.paneText && first.paneSourceLines == reference.paneSourceLines);
    FUZZ_CHECK(first.records == reference.records && first.failed == reference.failed);
    FUZZ_CHECK(first.nameSet == reference.nameSet && first.programName == reference.programName);
    FUZZ_CHECK(first.paneLines().size() == first.paneSourceLines.size());
    FUZZ_CHECK(first.records.size() == first.recordSourceLines.size());
    FUZZ_CHECK(first.failed || first.paneText.endsWith(QStringLiteral("OK: %1/100").arg(first.records.size())));
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
        bool elseToLabelZero = false;
        for (const InstructionRecord &r : first.records)
            elseToLabelZero = elseToLabelZero
                || (r.func == If && r.arg4 > 0 && r.arg4 < first.records.size()
                    && first.records.at(r.arg4).func == Label && first.records.at(r.arg4).arg1 == 0);
        FUZZ_CHECK(elseToLabelZero);
        return 0;
    }
    if (QString::fromLatin1(sent.toLatin1()) != sent)
        return 0;
    const CompileResult second = fast.compile(decoded.lines.join(QLatin1Char('\n')));
    FUZZ_CHECK(!second.failed && second.records == first.records && second.programName == sent);
    return 0;
}
