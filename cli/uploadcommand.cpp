#include "uploadcommand.h"

#include <QCommandLineParser>

#include "cli/argumenterror.h"
#include "cli/devicearguments.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "cli/sourcefile.h"
#include "lang/compiler.h"
#include "transfer/programupload.h"
#include "transfer/programverify.h"

namespace {

int runUpload(const QStringList &arguments)
{
    QCommandLineParser parser;
    addDeviceOptions(parser);
    parser.addOption({QStringLiteral("verify"), QString()});
    DeviceArguments device;
    QString error;
    if (!parseDeviceArguments(parser, arguments, device, error))
        return argumentError("upload", error);
    if (parser.positionalArguments().size() != 1)
        return argumentError("upload", QStringLiteral("expects exactly one FILE"));
    const QString path = parser.positionalArguments().first();

    QString text;
    if (!readSourceFile("upload", path, text))
        return ExitUsage;
    DeviceSession session(device.trace);
    if (!session.open(device.port))
        return ExitUsage;

    OutputStream out(stdout);
    const CompileResult compiled = compileSource(text);
    if (compiled.failed) {
        out.writeLine(compiled.paneText);
        return ExitFailure;
    }
    // A source without a name line sends the empty name, as a window that
    // never compiled a name does.
    const QString name = compiled.nameSet ? compiled.programName : QString();
    const TransferTarget target{device.address, device.cell};
    const auto print = [&out](const QString &line) {
        out.writeLine(line);
        out.flush();
    };
    if (uploadProgram(session.link(), compiled.records, name, target, print) != UploadResult::Stored)
        return ExitFailure;
    if (parser.isSet(QStringLiteral("verify"))
        && !verifyProgram(session.link(), compiled.records, name, target, print))
        return ExitFailure;
    return ExitSuccess;
}

} // namespace

CliCommand uploadCommand()
{
    return {"upload", "compile a program and store it in a memory cell of the device",
            "Usage: quillmar-cli upload --port PORT [--address N] [--cell N] [--verify]\n"
            "                           [--trace] FILE\n"
            "\n"
            "Compiles FILE as the compile command does and writes the records, the\n"
            "record count and the name into the memory cell, as the window's\n"
            "\"Записать в прибор\" does. Standard output gets the output pane as it\n"
            "stands at the end, each transfer line as it happens (the compiler's\n"
            "text when the compile fails, and then nothing is sent).\n"
            "\n"
            "  --port PORT   serial port: a system name such as ttyUSB0, or a path\n"
            "  --address N   slave address of the device, 0 to 255 (default 0)\n"
            "  --cell N      memory cell, 1 to 4 (default 1)\n"
            "  --trace       the link's diagnostic trace on standard error\n"
            "  --verify      then read back the count, the name and every record and\n"
            "                compare them with what was sent (\"Проверка пройдена\")\n"
            "\n"
            "Exit status: 0 when the program was stored (and verified); 1 when the\n"
            "compile, the transfer or the verification fails; 2 when the arguments\n"
            "are wrong, FILE cannot be read or the port cannot be opened.\n",
            runUpload};
}
