#include "dumpcommand.h"

#include "cli/argumenterror.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "cli/sourcefile.h"
#include "lang/compiler.h"

namespace {

int runDump(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--")))
        return argumentError("dump", QStringLiteral("expects exactly one FILE"));
    const QString path = arguments.first();

    QString text;
    if (!readSourceFile("dump", path, text))
        return ExitUsage;

    const CompileResult result = compileSource(text);
    if (result.failed) {
        OutputStream(stderr).writeLine(result.paneText);
        return ExitFailure;
    }
    OutputStream out(stdout);
    for (const InstructionRecord &record : result.records)
        out.writeLine(record.toImage().toHex().toUpper());
    return ExitSuccess;
}

} // namespace

CliCommand dumpCommand()
{
    return {"dump", "compile a program and print its record images in hex",
            "Usage: quillmar-cli dump FILE\n"
            "\n"
            "Compiles FILE and prints one line per record: the 28 upper-case hex\n"
            "digits of its 14-byte device image, jump targets resolved.\n"
            "\n"
            "Exit status: 0 on success; 1 when the compile fails (the output pane\n"
            "then goes to standard error); 2 when FILE cannot be read or the\n"
            "arguments are wrong.\n",
            runDump};
}
