#include "downloadcommand.h"

#include <QCommandLineParser>
#include <QSaveFile>

#include "cli/argumenterror.h"
#include "cli/devicearguments.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "transfer/programdownload.h"

namespace {

// Written as the window saves the editor after a download: its paragraphs
// joined by line feeds, UTF-8, replacing the file only once all is written.
bool saveSource(const QString &path, const QStringList &lines, QString &error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(lines.join(QLatin1Char('\n')).toUtf8());
        if (file.commit())
            return true;
    }
    error = QStringLiteral("%1: cannot write: %2").arg(path, file.errorString());
    return false;
}

int runDownload(const QStringList &arguments)
{
    QCommandLineParser parser;
    addDeviceOptions(parser);
    parser.addOption({QStringLiteral("o"), QString(), QStringLiteral("FILE")});
    DeviceArguments device;
    QString error;
    if (!parseDeviceArguments(parser, arguments, device, error))
        return argumentError("download", error);
    if (!parser.positionalArguments().isEmpty())
        return argumentError("download", QStringLiteral("takes no FILE; use -o FILE"));
    const QString target = parser.value(QStringLiteral("o"));
    if (parser.isSet(QStringLiteral("o")) && target.isEmpty())
        return argumentError("download", QStringLiteral("-o needs a FILE"));

    DeviceSession session(device.trace);
    if (!session.open(device.port))
        return ExitUsage;

    // The source owns standard output unless it goes to a file.
    OutputStream pane(target.isEmpty() ? stderr : stdout);
    QStringList source;
    const DownloadResult result = downloadProgram(
        session.link(), TransferTarget{device.address, device.cell}, makeOperandCodes(),
        makeComparisonCodes(),
        [&pane](const QString &line) {
            pane.writeLine(line);
            pane.flush();
        },
        [&source](const QStringList &lines) { source = lines; });
    if (result != DownloadResult::Decoded)
        return ExitFailure;

    if (target.isEmpty()) {
        OutputStream out(stdout);
        for (const QString &line : source)
            out.writeLine(line);
        return ExitSuccess;
    }
    if (!saveSource(target, source, error)) {
        pane.flush();
        OutputStream(stderr).writeLine(QStringLiteral("quillmar-cli download: ") + error);
        return ExitUsage;
    }
    return ExitSuccess;
}

} // namespace

CliCommand downloadCommand()
{
    return {"download", "read a program from a memory cell of the device",
            "Usage: quillmar-cli download --port PORT [--address N] [--cell N] [-o FILE]\n"
            "                             [--trace]\n"
            "\n"
            "Reads the record count, the name and every record of the memory cell and\n"
            "decodes them into program source, as the window's \"Считать из прибора\"\n"
            "does. Without -o the source goes to standard output, one line each, and\n"
            "the output pane to standard error; with -o FILE the output pane goes to\n"
            "standard output and the source is saved to FILE as the window saves it\n"
            "(UTF-8, lines joined by line feeds). FILE is not touched when the\n"
            "download fails.\n"
            "\n"
            "  --port PORT   serial port: a system name such as ttyUSB0, or a path\n"
            "  --address N   slave address of the device, 0 to 255 (default 0)\n"
            "  --cell N      memory cell, 1 to 4 (default 1)\n"
            "  -o FILE       save the source to FILE\n"
            "  --trace       the link's diagnostic trace on standard error\n"
            "\n"
            "Exit status: 0 on success; 1 when the device does not answer, the cell\n"
            "is empty or its records do not decode; 2 when the arguments are wrong,\n"
            "the port cannot be opened or FILE cannot be written.\n",
            runDownload};
}
