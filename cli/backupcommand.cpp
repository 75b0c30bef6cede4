#include "backupcommand.h"

#include <QCommandLineParser>

#include "cli/argumenterror.h"
#include "cli/devicearguments.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/numberlist.h"
#include "cli/outputstream.h"
#include "cli/progressline.h"
#include "transfer/devicebackup.h"
#include "transfer/devicecells.h"

namespace {

int runBackup(const QStringList &arguments)
{
    QCommandLineParser parser;
    addDeviceOptions(parser);
    parser.addOptions({
        {QStringLiteral("cells"), QString(), QStringLiteral("LIST"), QStringLiteral("1,2,3,4")},
        {QStringLiteral("o"), QString(), QStringLiteral("FILE")},
    });
    DeviceArguments device;
    QString error;
    if (!parseDeviceArguments(parser, arguments, device, error))
        return argumentError("backup", error);
    if (!parser.positionalArguments().isEmpty())
        return argumentError("backup", QStringLiteral("takes no FILE; use -o FILE"));
    QVector<int> cells;
    if (!parseNumberList(parser.value(QStringLiteral("cells")), 1, 4, cells))
        return argumentError("backup", QStringLiteral("--cells must list cells 1 to 4, each once"));
    const QString path = parser.value(QStringLiteral("o"));
    if (path.isEmpty())
        return argumentError("backup", QStringLiteral("-o FILE is required"));

    DeviceSession session(device.trace);
    if (!session.open(device.port))
        return ExitUsage;

    // Everything is read before the file is touched: a failure leaves it
    // as it was.
    DeviceBackup backup;
    backup.saved = QDateTime::currentDateTimeUtc();
    backup.address = device.address;
    ProgressLine progress;
    OutputStream out(stdout);
    for (int i = 0; i < cells.size(); ++i) {
        progress.show(i + 1, cells.size(), QStringLiteral("Ячейка %1").arg(cells.at(i)));
        StoredCell cell;
        if (!readStoredCell(session.link(), device.address, cells.at(i) - 1, cell, error)) {
            progress.finish();
            out.writeLine(QStringLiteral("Ячейка %1: %2").arg(cells.at(i)).arg(error));
            out.writeLine(QStringLiteral("Копия не сохранена"));
            return ExitFailure;
        }
        backup.cells.append(cell);
    }
    progress.finish();
    if (!backup.save(path, error)) {
        OutputStream(stderr).writeLine(QStringLiteral("quillmar-cli backup: ") + error);
        return ExitUsage;
    }
    for (const StoredCell &cell : backup.cells)
        out.writeLine(QStringLiteral("Ячейка %1: \"%2\", записей %3")
                          .arg(cell.cell + 1)
                          .arg(cell.name)
                          .arg(cell.records.size()));
    out.writeLine(QStringLiteral("Копия сохранена: %1").arg(path));
    return ExitSuccess;
}

} // namespace

CliCommand backupCommand()
{
    return {"backup", "save the memory cells of the device into a file",
            "Usage: quillmar-cli backup --port PORT [--address N] [--cells LIST] -o FILE\n"
            "                           [--trace]\n"
            "\n"
            "Reads every chosen memory cell completely (count, name and every record\n"
            "as stored, whether or not it decodes) and only then writes FILE, a\n"
            "JSON copy (.qmbackup) that restore writes back. FILE is replaced in one\n"
            "step; when a read fails it is not touched.\n"
            "\n"
            "  --port PORT   serial port: a system name such as ttyUSB0, or a path\n"
            "  --address N   slave address of the device, 0 to 255 (default 0)\n"
            "  --cells LIST  the cells to save, such as 1,3 (default 1,2,3,4)\n"
            "  -o FILE       the copy to write\n"
            "  --trace       the link's diagnostic trace on standard error\n"
            "\n"
            "Exit status: 0 when every cell was read and FILE written; 1 when a read\n"
            "fails; 2 when the arguments are wrong, the port cannot be opened or\n"
            "FILE cannot be written.\n",
            runBackup};
}
