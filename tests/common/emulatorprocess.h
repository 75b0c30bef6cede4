#ifndef EMULATORPROCESS_H
#define EMULATORPROCESS_H

#include <QByteArray>
#include <QProcess>
#include <QSerialPort>
#include <QStringList>

// quillmar-device for one test, traced so that its requests can be counted.
// QUILLMAR_TEST_LINE adds line options ("--echo", "--latency 16") so that the
// same tests run against every kind of line.
class EmulatorProcess
{
public:
    ~EmulatorProcess();

    // Starts the emulator with args and opens the port (when openPort; a
    // window or another process may open it instead); false on failure.
    bool start(const QStringList &args = QStringList(), bool openPort = true);
    QSerialPort &port() { return m_port; }
    QString portName() const { return m_portName; }
    // Stops the emulator (SIGTERM) and returns its exit code.
    int stop();
    // Kills the emulator (SIGKILL), as a crash or power cut would.
    void kill();
    // Frames the emulator received; valid after stop() or kill().
    int requestCount() const;
    QByteArray errorOutput() const { return m_stderr; }

private:
    QProcess m_process;
    QSerialPort m_port;
    QString m_portName;
    QByteArray m_stderr;
};

#endif
