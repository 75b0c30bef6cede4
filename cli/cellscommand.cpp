#include "cellscommand.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/argumenterror.h"
#include "cli/devicearguments.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"
#include "cli/progressline.h"
#include "transfer/devicecells.h"

namespace {

constexpr int cellCount = 4;

QString recordsWord(int count)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return QStringLiteral("записей");
    if (last == 1)
        return QStringLiteral("запись");
    if (last >= 2 && last <= 4)
        return QStringLiteral("записи");
    return QStringLiteral("записей");
}

int runCells(const QStringList &arguments)
{
    QCommandLineParser parser;
    addDeviceOptions(parser);
    parser.addOption({QStringLiteral("json"), QString()});
    DeviceArguments device;
    QString error;
    if (!parseDeviceArguments(parser, arguments, device, error))
        return argumentError("cells", error);
    if (!parser.positionalArguments().isEmpty())
        return argumentError("cells", QStringLiteral("takes no FILE"));
    const bool json = parser.isSet(QStringLiteral("json"));

    DeviceSession session(device.trace);
    if (!session.open(device.port))
        return ExitUsage;

    ProgressLine progress;
    QJsonArray cells;
    QStringList lines;
    bool allRead = true;
    for (int cell = 0; cell < cellCount; ++cell) {
        progress.show(cell + 1, cellCount, QStringLiteral("Ячейка %1").arg(cell + 1));
        CellSummary summary;
        if (!readCellSummary(session.link(), device.address, cell, summary, error)) {
            allRead = false;
            cells.append(QJsonObject{{QStringLiteral("cell"), cell + 1}, {QStringLiteral("error"), error}});
            lines.append(QStringLiteral("%1  ошибка: %2").arg(cell + 1).arg(error));
            continue;
        }
        cells.append(QJsonObject{{QStringLiteral("cell"), cell + 1},
                                 {QStringLiteral("count"), summary.count},
                                 {QStringLiteral("name"), summary.name}});
        lines.append(QStringLiteral("%1  %2  %3 %4")
                         .arg(cell + 1)
                         .arg(summary.name)
                         .arg(summary.count)
                         .arg(recordsWord(summary.count)));
    }
    progress.finish();

    OutputStream out(stdout);
    if (json) {
        const QJsonObject root{{QStringLiteral("address"), device.address}, {QStringLiteral("cells"), cells}};
        out.writeLine(QJsonDocument(root).toJson(QJsonDocument::Compact));
    } else {
        for (const QString &line : lines)
            out.writeLine(line);
    }
    return allRead ? ExitSuccess : ExitFailure;
}

} // namespace

CliCommand cellsCommand()
{
    return {"cells", "show what the four memory cells of the device hold",
            "Usage: quillmar-cli cells --port PORT [--address N] [--json] [--trace]\n"
            "\n"
            "Reads the record count and the name of each of the four memory cells and\n"
            "prints one line per cell: its number, its name as stored (five\n"
            "characters) and its record count. With --json one object instead:\n"
            "{\"address\": N, \"cells\": [{\"cell\": 1, \"count\": 7, \"name\": \"Demo \"}, ...]};\n"
            "a cell that could not be read is {\"cell\": N, \"error\": \"TEXT\"}.\n"
            "\n"
            "  --port PORT   serial port: a system name such as ttyUSB0, or a path\n"
            "  --address N   slave address of the device, 0 to 255 (default 0)\n"
            "  --json        print JSON\n"
            "  --trace       the link's diagnostic trace on standard error\n"
            "\n"
            "Exit status: 0 when every cell was read; 1 when one could not be (the\n"
            "others are still listed); 2 when the arguments are wrong or the port\n"
            "cannot be opened.\n",
            runCells};
}
