#include "link/serialportopen.h"

#include <QCoreApplication>
#include <QFileInfo>

QString portOpenFailure(const QString &portName, QSerialPort::SerialPortError error, bool deviceAccessible,
                        const QString &systemText)
{
    // An empty name is no port at all (Qt would try the directory /dev/).
    if (error == QSerialPort::DeviceNotFoundError || portName.isEmpty())
        return QCoreApplication::translate("PortList", "Порт %1 не найден").arg(portName);
    if ((error == QSerialPort::PermissionError && deviceAccessible) || error == QSerialPort::OpenError)
        return QCoreApplication::translate("PortList", "Порт %1 занят другой программой").arg(portName);
    if (error == QSerialPort::PermissionError)
        return QCoreApplication::translate("PortList",
                                           "Нет прав доступа к порту %1. В Linux добавьте пользователя в группу "
                                           "dialout: sudo usermod -aG dialout $USER, затем войдите в систему заново.")
            .arg(portName);
    return systemText;
}

bool portDeviceAccessible(const QString &portName)
{
#ifdef Q_OS_WIN
    // Windows refuses a second opener of a COM port with "access denied";
    // a port a user may not open at all does not occur there.
    Q_UNUSED(portName)
    return true;
#else
    // As QSerialPort finds the device: a bare name lives under /dev.
    const QString path = portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    const QFileInfo device(path);
    return device.isReadable() && device.isWritable();
#endif
}

bool openSerialPort(QSerialPort &port, const QString &name, QString &cause)
{
    port.setPortName(name);
    if (!port.open(QIODevice::ReadWrite)) {
        // Read before close(), which reports a port that is not open.
        cause = portOpenFailure(name, port.error(), portDeviceAccessible(name), port.errorString());
        port.close();
        return false;
    }
    // A pseudo-terminal rejects some line settings; that never matters, so
    // the results are not examined.
    port.setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    return true;
}
