#include <QCoreApplication>

#include "cli/commands.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"

namespace {

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

void printToolHelp(std::FILE *stream)
{
    OutputStream out(stream);
    out.writeLine(QStringLiteral("Usage: quillmar-cli COMMAND [ARGUMENTS]"));
    out.writeLine(QString());
    out.writeLine(QStringLiteral("Commands:"));
    for (const CliCommand &command : cliCommands())
        out.writeLine(QStringLiteral("  %1  %2").arg(QString::fromLatin1(command.name), -10)
                          .arg(QString::fromUtf8(command.summary)));
    out.writeLine(QString());
    out.writeLine(QStringLiteral("Options:"));
    out.writeLine(QStringLiteral("  --help      print this help"));
    out.writeLine(QStringLiteral("  --version   print the name and the version"));
    out.writeLine(QString());
    out.writeLine(QStringLiteral("'quillmar-cli COMMAND --help' describes a command."));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    if (arguments.isEmpty()) {
        printToolHelp(stderr);
        return ExitUsage;
    }
    const QString name = arguments.takeFirst();
    if (isHelp(name) || name == QLatin1String("help")) {
        printToolHelp(stdout);
        return ExitSuccess;
    }
    if (name == QLatin1String("--version")) {
        OutputStream(stdout).writeLine(QStringLiteral("quillmar-cli " QUILLMAR_VERSION));
        return ExitSuccess;
    }
    for (const CliCommand &command : cliCommands()) {
        if (name != QLatin1String(command.name))
            continue;
        for (const QString &arg : arguments) {
            if (isHelp(arg)) {
                OutputStream out(stdout);
                out.writeLine(QString::fromUtf8(command.usage).chopped(1));
                return ExitSuccess;
            }
        }
        return command.run(arguments);
    }
    OutputStream err(stderr);
    err.writeLine(QStringLiteral("quillmar-cli: unknown command '%1'").arg(name));
    err.writeLine(QStringLiteral("Try 'quillmar-cli --help'."));
    return ExitUsage;
}
