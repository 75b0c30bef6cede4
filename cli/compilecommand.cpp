#include "compilecommand.h"

#include "cli/argumenterror.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "cli/sourcefile.h"
#include "lang/compiler.h"

namespace {

// The pane's "error: bad;" or "error jmp: ..." reads as "FILE:LINE: error: bad;"
// or "FILE:LINE: error: jmp: ..." instead of naming the error twice.
QString withoutErrorWord(const QString &message)
{
    static const QString word = QStringLiteral("error");
    if (!message.startsWith(word))
        return message;
    QString rest = message.mid(word.size());
    if (rest.startsWith(QLatin1String(": ")))
        return rest.mid(2);
    return rest.trimmed();
}

int runCompile(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--")))
        return argumentError("compile", QStringLiteral("expects exactly one FILE"));
    const QString path = arguments.first();

    QString text;
    if (!readSourceFile("compile", path, text))
        return ExitUsage;

    const CompileResult result = compileSource(text);
    OutputStream(stdout).writeLine(result.paneText);
    OutputStream err(stderr);
    for (const CompileError &e : result.errors)
        err.writeLine(QStringLiteral("%1:%2: error: %3").arg(path).arg(e.line).arg(withoutErrorWord(e.message)));
    return result.failed ? ExitFailure : ExitSuccess;
}

} // namespace

CliCommand compileCommand()
{
    return {"compile", "compile a program and print the output pane",
            "Usage: quillmar-cli compile FILE\n"
            "\n"
            "Compiles the program source FILE as the window's compile command does.\n"
            "Standard output gets the output pane, one line each; standard error gets\n"
            "one line per error, FILE:LINE: error: MESSAGE.\n"
            "\n"
            "Exit status: 0 when the compile ends in OK, 1 when it fails,\n"
            "2 when FILE cannot be read or the arguments are wrong.\n",
            runCompile};
}
