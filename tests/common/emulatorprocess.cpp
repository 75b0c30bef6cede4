#include "emulatorprocess.h"

EmulatorProcess::~EmulatorProcess()
{
    stop();
}

bool EmulatorProcess::start(const QStringList &args, bool openPort)
{
    const QString line = QString::fromLocal8Bit(qgetenv("QUILLMAR_TEST_LINE"));
    m_process.start(QStringLiteral(QUILLMAR_DEVICE), QStringList{QStringLiteral("--trace")}
                    + line.split(QLatin1Char(' '), Qt::SkipEmptyParts) + args);
    if (!m_process.waitForStarted(5000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000))
            return false;
    }
    m_portName = QString::fromLocal8Bit(m_process.readLine().trimmed());
    m_port.setPortName(m_portName);
    return !openPort || m_port.open(QIODevice::ReadWrite);
}

int EmulatorProcess::stop()
{
    m_port.close();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_stderr += m_process.readAllStandardError();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void EmulatorProcess::kill()
{
    m_port.close();
    m_process.kill();
    m_process.waitForFinished(5000);
    m_stderr += m_process.readAllStandardError();
}

int EmulatorProcess::requestCount() const
{
    return m_stderr.count(" RX ");
}
