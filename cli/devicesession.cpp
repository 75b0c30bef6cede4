#include "devicesession.h"

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
    m_port.setPortName(portName);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.close();
        return false;
    }
    // A pseudo-terminal refuses some line settings; that never matters.
    m_port.setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    return true;
}
