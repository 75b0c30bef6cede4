#include "portscommand.h"

#include <QSerialPortInfo>

#include "cli/argumenterror.h"
#include "cli/exitcode.h"
#include "cli/outputstream.h"

namespace {

int runPorts(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return argumentError("ports", QStringLiteral("takes no arguments"));
    OutputStream out(stdout);
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        out.writeLine(port.portName());
    return ExitSuccess;
}

} // namespace

CliCommand portsCommand()
{
    return {"ports", "list the serial ports found",
            "Usage: quillmar-cli ports\n"
            "\n"
            "Prints the name of every serial port the system reports, one per line,\n"
            "as the window's port box lists them. Pseudo-terminals are not listed;\n"
            "give their path to --port directly.\n"
            "\n"
            "Exit status: 0; 2 when arguments are given.\n",
            runPorts};
}
