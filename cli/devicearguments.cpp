#include "devicearguments.h"

#include <QCommandLineParser>

#include "link/devicecommands.h"

void addDeviceOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("port"), QString(), QStringLiteral("PORT")},
        {QStringLiteral("address"), QString(), QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("cell"), QString(), QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("trace"), QString()},
    });
}

namespace {

bool numberIn(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

} // namespace

bool parseDeviceArguments(QCommandLineParser &parser, const QStringList &arguments,
                          DeviceArguments &device, QString &error)
{
    if (!parser.parse(QStringList{QStringLiteral("quillmar-cli")} + arguments)) {
        error = parser.errorText();
        return false;
    }
    device.port = parser.value(QStringLiteral("port"));
    if (device.port.isEmpty()) {
        error = QStringLiteral("--port PORT is required");
        return false;
    }
    int value = 0;
    if (!numberIn(parser.value(QStringLiteral("address")), 0, 255, value)) {
        error = QStringLiteral("--address must be 0 to 255");
        return false;
    }
    device.address = quint8(value);
    if (!numberIn(parser.value(QStringLiteral("cell")), 1, ProgramCellCount, value)) {
        error = QStringLiteral("--cell must be 1 to %1").arg(ProgramCellCount);
        return false;
    }
    device.cell = value - 1;
    device.trace = parser.isSet(QStringLiteral("trace"));
    return true;
}
