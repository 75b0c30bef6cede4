#ifndef DEVICELINK_H
#define DEVICELINK_H

#include <QByteArray>
#include <QString>
#include <memory>

#include "link/framesettings.h"
#include "link/linkresult.h"

class QFile;
class QIODevice;
class QSerialPort;
struct InstructionRecord;

// Frames, sends and receives device requests over a serial port it does not
// own. A transaction waits for its reply inside the caller's event loop, so
// the user interface keeps running meanwhile; it runs on the port's thread.
class DeviceLink
{
public:
    DeviceLink();
    ~DeviceLink();
    DeviceLink(const DeviceLink &) = delete;
    DeviceLink &operator=(const DeviceLink &) = delete;

    void setPort(QSerialPort *port);
    QSerialPort *port() const { return m_port; }
    void setFrameSettings(const FrameSettings &settings);
    const FrameSettings &frameSettings() const { return m_settings; }
    // Where the diagnostic trace goes; standard output until set, nullptr
    // for none. The device is not owned.
    void setTraceDevice(QIODevice *device);

    // Transactions. A port that is not open gives NoReply at once.
    void sendFrame(quint8 destination, quint8 reg, quint8 function,
                   const QByteArray &data = QByteArray());
    bool waitReply(QByteArray &buffer, int limitMs);
    bool pollReply(QByteArray &buffer);
    LinkResult query(QByteArray &out, int &count, quint8 destination, quint8 reg, int minLength,
                     int limitMs, quint8 function);
    LinkResult queryIndexed(QByteArray &out, int &count, quint8 destination, quint8 reg,
                            int minLength, quint8 index, int limitMs, quint8 function);
    LinkResult command(quint8 destination, quint8 reg, const QByteArray &data, int limitMs,
                       quint8 function);
    void writeRaw(const QByteArray &bytes);

    // Program memory commands; cell 0 to 3 (clamped). Reads try twice,
    // writes send up to three times while there is no reply.
    LinkResult readProgramSize(quint8 destination, int &count, int cell, quint8 function);
    LinkResult readProgramName(quint8 destination, QString &name, int cell, quint8 function);
    LinkResult readProgramLine(quint8 destination, InstructionRecord &record, int index, int cell,
                               quint8 function);
    LinkResult writeProgramLine(quint8 destination, const InstructionRecord &record, int index,
                                int cell, quint8 function);
    LinkResult writeProgramSize(quint8 destination, int count, int cell, quint8 function);
    LinkResult writeProgramName(quint8 destination, const QString &name, int cell,
                                quint8 function);

private:
    bool portOpen() const;
    bool portFailed() const;
    void discardReceived();
    // Drops the line's echo of the request from the head of a collected
    // buffer; true when a reply frame is left there.
    bool dropEchoes(QByteArray &buffer);
    void trace(const QByteArray &text);
    LinkResult transact(QByteArray &out, int &count, quint8 destination, quint8 reg,
                        const QByteArray &data, int minLength, int limitMs, quint8 function);
    // A read command: query (queryIndexed when index is 0 or more), tried
    // twice; Ok only for a complete reply of fullLength bytes.
    LinkResult readRegister(QByteArray &out, quint8 destination, quint8 reg, int index,
                            int minLength, int fullLength, quint8 function);

    QSerialPort *m_port = nullptr;
    FrameSettings m_settings;
    QByteArray m_request; // the last frame sent
    std::unique_ptr<QFile> m_stdout;
    QIODevice *m_trace = nullptr;
};

#endif
