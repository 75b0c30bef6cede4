#ifndef SERIALPORTOPEN_H
#define SERIALPORTOPEN_H

#include <QSerialPort>
#include <QString>

// Why the port could not be opened, for the user: no such port, no
// permission, busy, or else the system's own text. Qt reports a port that
// another program holds (its lock file, or an exclusive open) as a
// permission error, so deviceAccessible tells the two apart: whether this
// user may read and write the device itself.
QString portOpenFailure(const QString &portName, QSerialPort::SerialPortError error, bool deviceAccessible,
                        const QString &systemText);

// Opens the port for reading and writing at 9600 baud, 8 data bits, no
// parity, 1 stop bit. On failure the port is closed again, cause tells why
// (portOpenFailure) and the result is false.
bool openSerialPort(QSerialPort &port, const QString &name, QString &cause);

// Whether this user may read and write the port's device.
bool portDeviceAccessible(const QString &portName);

#endif
