#include "devicesession.h"

#include "link/serialportopen.h"
#include "outputstream.h"

DeviceSession::DeviceSession(bool trace)
{
    m_link.setPort(&m_port);
    m_link.setTraceDevice(nullptr);
    if (trace && m_traceFile.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        m_link.setTraceDevice(&m_traceFile);
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) {
                         if ((error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
                             && m_port.isOpen())
                             m_port.close();
                     });
}

bool DeviceSession::open(const QString &portName)
{
    if (openQuietly(portName))
        return true;
    OutputStream(stderr).writeLine(QStringLiteral("Не удается открыть порт"));
    return false;
}

bool DeviceSession::openQuietly(const QString &portName)
{
    QString cause;
    return openSerialPort(m_port, portName, cause);
}
