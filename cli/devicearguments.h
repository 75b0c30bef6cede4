#ifndef DEVICEARGUMENTS_H
#define DEVICEARGUMENTS_H

#include <QString>
#include <QStringList>

class QCommandLineParser;

// The options every device command shares: --port PORT, --address N (0 to
// 255, default 0 like the window's spin box), --cell N (1 to 4 as the window
// shows the cells; held here as 0 to 3) and --trace.
struct DeviceArguments
{
    QString port;
    quint8 address = 0;
    int cell = 0;
    bool trace = false;
};

// Adds the shared options to parser.
void addDeviceOptions(QCommandLineParser &parser);

// Parses the arguments after the command name; false with a reason for
// anything wrong, including a missing --port.
bool parseDeviceArguments(QCommandLineParser &parser, const QStringList &arguments,
                          DeviceArguments &device, QString &error);

#endif
