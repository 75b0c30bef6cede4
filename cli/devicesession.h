#ifndef DEVICESESSION_H
#define DEVICESESSION_H

#include <QFile>
#include <QSerialPort>
#include <QString>

#include "link/devicelink.h"

// The serial port and device link of one command, set up as the window
// sets up its own (openSerialPort), the port closed at its first read or resource
// error (a vanished device would otherwise report that error endlessly).
class DeviceSession
{
public:
    // trace: the link's trace goes to standard error; otherwise nowhere.
    explicit DeviceSession(bool trace);
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    // false, having said "Не удается открыть порт" on standard error, when
    // the port cannot be opened.
    bool open(const QString &portName);
    // The same without a word: for callers that say it their own way.
    bool openQuietly(const QString &portName);
    DeviceLink &link() { return m_link; }

private:
    QSerialPort m_port;
    DeviceLink m_link;
    QFile m_traceFile;
};

#endif
