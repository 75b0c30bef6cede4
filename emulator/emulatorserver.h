#ifndef EMULATORSERVER_H
#define EMULATORSERVER_H

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>
#include <QVector>
#include <deque>
#include <map>

#include "deviceresponder.h"
#include "faultplan.h"
#include "lineadapter.h"
#include "requestassembler.h"

class QSerialPort;
class QSocketNotifier;

// Serves the emulated power supply on a pseudo-terminal (its master side)
// or on a serial port: assembles requests, answers them with the configured
// faults, optionally at the pace of a 9600 baud line and through an echoing
// or bursty adapter, and keeps the memory in a state file.
class EmulatorServer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // The slave addresses served, each its own device with four cells
        // (devices sharing one RS-485 line).
        QVector<quint8> addresses{0};
        bool pace = false;
        bool trace = false;
        QString stateFile;
        FaultPlan faults;
        double corruptPercent = 0; // line noise on the replies
        quint32 seed = 1;
        LineAdapter line; // echo and delivery in bursts
    };

    explicit EmulatorServer(const Options &options, QObject *parent = nullptr);
    ~EmulatorServer() override;

    // Loads the state file if there is one; false (with a reason) when it
    // cannot be used.
    bool loadState(QString *error);
    // Takes over an open pseudo-terminal master (closing slaveFd on hangup).
    void servePty(int masterFd, int slaveFd);
    bool serveSerial(const QString &portName, QString *error);

private:
    struct Outgoing
    {
        QByteArray bytes;
        qint64 dueUs = 0;
        QByteArray traceText; // traced when these bytes go out
    };

    qint64 nowUs() const;
    void readPty();
    void received(const QByteArray &chunk);
    void handleFrame(const QByteArray &frame);
    void enqueue(const QByteArray &bytes, qint64 dueUs, const QByteArray &traceText);
    void flushOutgoing();
    void writeLine(const QByteArray &bytes);
    void hangup();
    bool saveState();
    void traceFrame(const char *direction, const QByteArray &text);

    Options m_options;
    std::map<quint8, DeviceResponder> m_responders;
    // Memories of addresses in the state file that this run does not serve:
    // kept so that saving does not lose them.
    std::map<quint8, DeviceMemory> m_otherMemories;
    RequestAssembler m_assembler;
    QElapsedTimer m_clock;
    QTimer m_sendTimer;
    std::deque<Outgoing> m_outgoing;
    qint64 m_inLineFreeUs = 0;
    qint64 m_outLineFreeUs = 0;
    int m_requests = 0;
    QRandomGenerator m_noise;
    int m_masterFd = -1;
    int m_slaveFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QSerialPort *m_serial = nullptr;
};

#endif
