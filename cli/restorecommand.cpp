#include "restorecommand.h"

#include <QCommandLineParser>

#include <algorithm>

#include "cli/argumenterror.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/numberlist.h"
#include "cli/outputstream.h"
#include "cli/progressline.h"
#include "transfer/devicebackup.h"
#include "transfer/devicecells.h"

namespace {

// The cells of the copy to send: all, or those listed (each must be there).
bool chooseCells(const DeviceBackup &backup, const QVector<int> &listed,
                 QVector<StoredCell> &chosen, QString &error)
{
    if (listed.isEmpty()) {
        chosen = backup.cells;
        return true;
    }
    for (int number : listed) {
        const auto found = std::find_if(backup.cells.cbegin(), backup.cells.cend(),
                                        [number](const StoredCell &cell) { return cell.cell == number - 1; });
        if (found == backup.cells.cend()) {
            error = QStringLiteral("the copy holds no cell %1").arg(number);
            return false;
        }
        chosen.append(*found);
    }
    return true;
}

int runRestore(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("port"), QString(), QStringLiteral("PORT")},
        {QStringLiteral("address"), QString(), QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("cells"), QString(), QStringLiteral("LIST")},
        {QStringLiteral("trace"), QString()},
    });
    if (!parser.parse(QStringList{QStringLiteral("quillmar-cli")} + arguments))
        return argumentError("restore", parser.errorText());
    const QString port = parser.value(QStringLiteral("port"));
    if (port.isEmpty())
        return argumentError("restore", QStringLiteral("--port PORT is required"));
    QVector<int> addresses;
    if (!parseNumberList(parser.value(QStringLiteral("address")), 0, 255, addresses))
        return argumentError("restore", QStringLiteral("--address must list addresses 0 to 255, each once"));
    QVector<int> listed;
    if (parser.isSet(QStringLiteral("cells"))
        && !parseNumberList(parser.value(QStringLiteral("cells")), 1, 4, listed))
        return argumentError("restore", QStringLiteral("--cells must list cells 1 to 4, each once"));
    if (parser.positionalArguments().size() != 1)
        return argumentError("restore", QStringLiteral("expects exactly one FILE"));

    // The whole copy is checked before anything goes out.
    DeviceBackup backup;
    QString error;
    if (!backup.load(parser.positionalArguments().first(), error)) {
        OutputStream(stderr).writeLine(QStringLiteral("quillmar-cli restore: ") + error);
        return ExitUsage;
    }
    QVector<StoredCell> cells;
    if (!chooseCells(backup, listed, cells, error))
        return argumentError("restore", error);

    DeviceSession session(parser.isSet(QStringLiteral("trace")));
    if (!session.open(port))
        return ExitUsage;

    OutputStream out(stdout);
    ProgressLine progress;
    const int total = addresses.size() * cells.size();
    int verified = 0;
    for (int a = 0; a < addresses.size(); ++a) {
        const int address = addresses.at(a);
        QVector<int> complete;
        for (int c = 0; c < cells.size(); ++c) {
            const StoredCell &cell = cells.at(c);
            progress.show(a * cells.size() + c + 1, total, QStringLiteral("Адрес %1, ячейка %2").arg(address).arg(cell.cell + 1));
            const RestoreReport report = restoreCells(
                session.link(), quint8(address), {cell}, [&](int number, bool ok, const QString &text) {
                    progress.finish();
                    out.writeLine(QStringLiteral("Адрес %1, ячейка %2: %3")
                                      .arg(address)
                                      .arg(number + 1)
                                      .arg(ok ? QStringLiteral("записано и проверено") : text));
                    out.flush();
                });
            complete += report.verified;
            if (report.ended) {
                // A device that stopped answering would only make every
                // later cell wait out its time limits.
                out.writeLine(QStringLiteral("Адрес %1: работа прекращена, полностью восстановлены ячейки: %2")
                                  .arg(address)
                                  .arg(cellList(complete)));
                break;
            }
        }
        verified += complete.size();
    }
    progress.finish();
    out.writeLine(QStringLiteral("Итог: записано и проверено %1 из %2").arg(verified).arg(total));
    return verified == total ? ExitSuccess : ExitFailure;
}

} // namespace

CliCommand restoreCommand()
{
    return {"restore", "write a saved copy back into one or more devices",
            "Usage: quillmar-cli restore --port PORT [--address N[,N...]] [--cells LIST]\n"
            "                            [--trace] FILE\n"
            "\n"
            "Checks the copy FILE (made by backup) completely before anything is\n"
            "sent. Then, for each address in turn and each cell of the copy (or of\n"
            "LIST): writes the records, the count and the name, reads them back and\n"
            "compares. One line per cell and address (\"Адрес 3, ячейка 1: записано и\n"
            "проверено\" or what failed) and a summary at the end. A device that stops\n"
            "answering ends the work at its address with a line naming the cells\n"
            "that are complete; the next address is still tried.\n"
            "\n"
            "  --port PORT         serial port: a system name such as ttyUSB0, or a path\n"
            "  --address N[,N...]  slave addresses to restore, 0 to 255 (default 0)\n"
            "  --cells LIST        only these cells of the copy, such as 1,3\n"
            "  --trace             the link's diagnostic trace on standard error\n"
            "\n"
            "Exit status: 0 when every cell of every address was verified; 1 when a\n"
            "device step or a verification fails; 2 when the arguments are wrong,\n"
            "FILE cannot be read or is not a valid copy, or the port cannot be opened.\n",
            runRestore};
}
