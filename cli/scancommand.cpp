#include "scancommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

#include "cli/argumenterror.h"
#include "cli/devicesession.h"
#include "cli/exitcode.h"
#include "cli/numberlist.h"
#include "cli/outputstream.h"
#include "cli/progressline.h"
#include "transfer/devicecells.h"

namespace {

// Without --port: the ports named in QUILLMAR_PORTS and every port with a
// USB vendor id. On-board ports (ttyS0 and the like) are mostly not wired
// to anything and would each cost a minute; they are scanned when named.
QStringList defaultPorts()
{
    QStringList ports;
    const QString named = qEnvironmentVariable("QUILLMAR_PORTS");
    for (const QString &port : named.split(QDir::listSeparator(), Qt::SkipEmptyParts))
        ports.append(port.trimmed());
    const QList<QSerialPortInfo> listed = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : listed) {
        if (info.hasVendorIdentifier())
            ports.append(info.systemLocation());
    }
    ports.removeDuplicates();
    return ports;
}

int runScan(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("port"), QString(), QStringLiteral("PORT")},
        {QStringLiteral("addresses"), QString(), QStringLiteral("A-B"), QStringLiteral("0-255")},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("trace"), QString()},
    });
    if (!parser.parse(QStringList{QStringLiteral("quillmar-cli")} + arguments))
        return argumentError("scan", parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return argumentError("scan", QStringLiteral("takes no FILE"));
    QVector<int> addresses;
    if (!parseNumberRange(parser.value(QStringLiteral("addresses")), 0, 255, addresses))
        return argumentError("scan", QStringLiteral("--addresses must be A-B with 0 <= A <= B <= 255"));
    const bool named = parser.isSet(QStringLiteral("port"));
    const QStringList ports = named ? parser.values(QStringLiteral("port")) : defaultPorts();

    OutputStream out(stdout);
    ProgressLine progress;
    QJsonArray found;
    bool unopened = false;
    for (const QString &port : ports) {
        DeviceSession session(parser.isSet(QStringLiteral("trace")));
        if (!session.openQuietly(port)) {
            progress.finish();
            OutputStream(stderr).writeLine(QStringLiteral("%1: Не удается открыть порт").arg(port));
            unopened = true;
            continue;
        }
        for (int i = 0; i < addresses.size(); ++i) {
            const int address = addresses.at(i);
            progress.show(i + 1, addresses.size(), QStringLiteral("Порт %1, адрес %2").arg(port).arg(address));
            if (!probeAddress(session.link(), quint8(address)))
                continue;
            found.append(QJsonObject{{QStringLiteral("port"), port}, {QStringLiteral("address"), address}});
            if (!parser.isSet(QStringLiteral("json"))) {
                progress.finish();
                out.writeLine(QStringLiteral("%1  адрес %2").arg(port).arg(address));
                out.flush();
            }
        }
    }
    progress.finish();
    if (parser.isSet(QStringLiteral("json")))
        out.writeLine(QJsonDocument(QJsonObject{{QStringLiteral("found"), found}}).toJson(QJsonDocument::Compact));
    else if (ports.isEmpty())
        OutputStream(stderr).writeLine(QStringLiteral("Нет портов для поиска; назовите их в --port или QUILLMAR_PORTS"));
    // A port the user named and could not be opened is a wrong argument.
    if (named && unopened)
        return ExitUsage;
    return found.isEmpty() ? ExitFailure : ExitSuccess;
}

} // namespace

CliCommand scanCommand()
{
    return {"scan", "find the devices that answer, on every port and address",
            "Usage: quillmar-cli scan [--port PORT]... [--addresses A-B] [--json] [--trace]\n"
            "\n"
            "Probes each port and each address once (one read of cell 1's record\n"
            "count, one try of 244 ms) and prints every port and address that\n"
            "answered: \"PORT  адрес N\", or with --json {\"found\": [{\"port\": P,\n"
            "\"address\": N}, ...]}. The port and address being probed are shown on\n"
            "standard error.\n"
            "\n"
            "  --port PORT      a port to scan; may be given several times. Default:\n"
            "                   the ports listed in QUILLMAR_PORTS (separated like\n"
            "                   PATH) and every port with a USB vendor id; on-board\n"
            "                   ports such as ttyS0 only when named\n"
            "  --addresses A-B  the addresses to probe (default 0-255)\n"
            "  --json           print JSON\n"
            "  --trace          the link's diagnostic trace on standard error\n"
            "\n"
            "Exit status: 0 when something answered; 1 when nothing did; 2 when the\n"
            "arguments are wrong or a port given by --port cannot be opened.\n",
            runScan};
}
