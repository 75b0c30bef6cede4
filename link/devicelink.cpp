#include "devicelink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTimer>
#include <cstdio>

#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/echofilter.h"
#include "link/frame.h"

namespace {

constexpr int PollChunk = 100;
constexpr int ReadAttempts = 2;
constexpr int CommandAttempts = 3;

int byteAt(const QByteArray &bytes, int index)
{
    return index < bytes.size() ? quint8(bytes.at(index)) : 0;
}

} // namespace

DeviceLink::DeviceLink()
    : m_stdout(std::make_unique<QFile>())
{
    if (m_stdout->open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        m_trace = m_stdout.get();
    setFrameSettings(FrameSettings());
}

DeviceLink::~DeviceLink() = default;

void DeviceLink::setPort(QSerialPort *port)
{
    m_port = port;
}

void DeviceLink::setFrameSettings(const FrameSettings &settings)
{
    m_settings = settings;
}

void DeviceLink::setTraceDevice(QIODevice *device)
{
    m_trace = device;
}

void DeviceLink::trace(const QByteArray &text)
{
    if (m_trace && !text.isEmpty()) {
        m_trace->write(text);
        if (m_trace == m_stdout.get())
            std::fflush(stdout);
    }
}

bool DeviceLink::portOpen() const
{
    return m_port && m_port->isOpen();
}

bool DeviceLink::portFailed() const
{
    // A vanished device (or the dead peer of a pseudo-terminal) keeps the
    // port readable with nothing to read; waiting on would only spin.
    const auto error = m_port->error();
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
}

void DeviceLink::discardReceived()
{
    // A late reply to an earlier request must never be credited to this one.
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError();
}

void DeviceLink::writeRaw(const QByteArray &bytes)
{
    if (!portOpen())
        return;
    // Hand the bytes to the driver at once. waitForBytesWritten() is not
    // used: once its bytes are out it goes on waiting for incoming data and
    // would block the thread for its whole limit whenever no reply comes.
    // Whatever the driver does not take now goes out from the event loop
    // while the reply is awaited.
    m_port->write(bytes);
    m_port->flush();
}

void DeviceLink::sendFrame(quint8 destination, quint8 reg, quint8 function, const QByteArray &data)
{
    // Kept so that the line's echo of it is not taken for the reply.
    m_request = encodeFrame(m_settings, destination, reg, function, data);
    if (!portOpen())
        return;
    discardReceived();
    // One write for the whole frame: the same characters as pair-by-pair
    // writes, without a system call and two waits per pair.
    writeRaw(m_request);
}

bool DeviceLink::pollReply(QByteArray &buffer)
{
    if (!portOpen())
        return false;
    const QByteArray chunk = m_port->read(PollChunk);
    trace(chunk);
    if (!buffer.contains(m_settings.start)) {
        const int start = chunk.indexOf(m_settings.start);
        if (start >= 0) {
            buffer = chunk.mid(start);
            trace("line=" + buffer + '\n');
        }
    } else {
        buffer.append(chunk);
        trace("line+" + chunk + '\n');
    }
    if (buffer.contains(m_settings.end)) {
        trace("\nLineCode = " + buffer + '\n');
        return true;
    }
    return false;
}

bool DeviceLink::dropEchoes(QByteArray &buffer)
{
    const EchoFilter filter(m_settings, m_request);
    for (;;) {
        int length = 0;
        const EchoFilter::Head head = filter.classify(buffer, &length);
        if (head == EchoFilter::Head::Reply)
            return true;
        if (head == EchoFilter::Head::Incomplete)
            return false;
        if (head == EchoFilter::Head::Echo)
            trace("Echo\n");
        // What follows the echo is collected afresh from its start character,
        // as at the start of the wait.
        const int start = buffer.indexOf(m_settings.start, length);
        buffer = start >= 0 ? buffer.mid(start) : QByteArray();
        if (!buffer.isEmpty())
            trace("line=" + buffer + '\n');
    }
}

bool DeviceLink::waitReply(QByteArray &buffer, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    trace("Call GetLine\n");
    buffer.clear();

    // Arrival of data (the port's read notifier), user input or this timer
    // wakes the loop; in between the thread sleeps.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (clock.elapsed() > limitMs)
            return false;
        // The echo is dropped and the wait goes on within the same limit.
        if (pollReply(buffer) && dropEchoes(buffer))
            return true;
        if (!portOpen() || portFailed())
            return false;
        if (m_port->bytesAvailable() > 0)
            continue;
        deadline.start(int(qMax<qint64>(1, limitMs + 1 - clock.elapsed())));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

LinkResult DeviceLink::transact(QByteArray &out, int &count, quint8 destination, quint8 reg,
                                const QByteArray &data, int minLength, int limitMs,
                                quint8 function)
{
    if (!portOpen())
        return LinkResult::NoReply;
    sendFrame(destination, reg, function, data);
    QByteArray raw;
    if (!waitReply(raw, limitMs))
        return LinkResult::NoReply;
    QByteArray reason;
    const LinkResult result = checkQueryReply(m_settings, raw, minLength, out, count, &reason);
    trace(reason);
    return result;
}

LinkResult DeviceLink::query(QByteArray &out, int &count, quint8 destination, quint8 reg,
                             int minLength, int limitMs, quint8 function)
{
    return transact(out, count, destination, reg, QByteArray(), minLength, limitMs, function);
}

LinkResult DeviceLink::queryIndexed(QByteArray &out, int &count, quint8 destination, quint8 reg,
                                    int minLength, quint8 index, int limitMs, quint8 function)
{
    return transact(out, count, destination, reg, QByteArray(1, char(index)), minLength, limitMs,
                    function);
}

LinkResult DeviceLink::command(quint8 destination, quint8 reg, const QByteArray &data,
                               int limitMs, quint8 function)
{
    if (!portOpen())
        return LinkResult::NoReply;
    QByteArray raw;
    bool replied = false;
    for (int attempt = 0; attempt < CommandAttempts && !replied && portOpen(); ++attempt) {
        sendFrame(destination, reg, function, data);
        replied = waitReply(raw, limitMs);
    }
    trace(raw);
    if (!replied)
        return LinkResult::NoReply;
    return checkCommandReply(m_settings, raw);
}

LinkResult DeviceLink::readRegister(QByteArray &out, quint8 destination, quint8 reg, int index,
                                    int minLength, int fullLength, quint8 function)
{
    LinkResult result = LinkResult::NoReply;
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        int count = 0;
        result = index < 0 ? query(out, count, destination, reg, minLength, CommandTimeLimitMs, function)
                           : queryIndexed(out, count, destination, reg, minLength, quint8(index & 0xFF),
                                          CommandTimeLimitMs, function);
        // An intact but truncated reply would fill the value's tail from
        // its CRC bytes; treat it as a bad reply instead.
        if (result == LinkResult::Ok && count < fullLength) {
            trace("Error linesize\n" + QByteArray::number(count) + ' '
                  + QByteArray::number(fullLength));
            result = LinkResult::BadReply;
        }
        if (result == LinkResult::Ok)
            break;
    }
    return result;
}

LinkResult DeviceLink::readProgramSize(quint8 destination, int &count, int cell, quint8 function)
{
    QByteArray out;
    const LinkResult result = readRegister(out, destination,
                                           programRegister(ProgramSizeRegister, cell), -1,
                                           SizeReplyMinLength, SizeReplyLength, function);
    if (result == LinkResult::Ok)
        count = byteAt(out, ReplyDataOffset);
    return result;
}

LinkResult DeviceLink::readProgramName(quint8 destination, QString &name, int cell,
                                       quint8 function)
{
    QByteArray out;
    const LinkResult result = readRegister(out, destination,
                                           programRegister(ProgramNameRegister, cell), -1,
                                           NameReplyMinLength, NameReplyLength, function);
    if (result == LinkResult::Ok)
        applyProgramName(name, out.mid(ReplyDataOffset, ProgramNameLength));
    return result;
}

LinkResult DeviceLink::readProgramLine(quint8 destination, InstructionRecord &record, int index,
                                       int cell, quint8 function)
{
    QByteArray out;
    const LinkResult result = readRegister(out, destination,
                                           programRegister(ProgramLinesRegister, cell), index & 0xFF,
                                           LineReplyMinLength, LineReplyLength, function);
    if (result == LinkResult::Ok)
        record = InstructionRecord::fromImage(out.mid(ReplyDataOffset, InstructionRecord::ImageSize));
    return result;
}

LinkResult DeviceLink::writeProgramLine(quint8 destination, const InstructionRecord &record,
                                        int index, int cell, quint8 function)
{
    return command(destination, programRegister(ProgramLinesRegister, cell),
                   record.writePayload(index), CommandTimeLimitMs, function);
}

LinkResult DeviceLink::writeProgramSize(quint8 destination, int count, int cell, quint8 function)
{
    return command(destination, programRegister(ProgramSizeRegister, cell),
                   QByteArray(1, char(count & 0xFF)), CommandTimeLimitMs, function);
}

LinkResult DeviceLink::writeProgramName(quint8 destination, const QString &name, int cell,
                                        quint8 function)
{
    return command(destination, programRegister(ProgramNameRegister, cell),
                   encodeProgramName(name), CommandTimeLimitMs, function);
}
