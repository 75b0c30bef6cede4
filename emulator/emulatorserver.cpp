#include "emulatorserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSerialPort>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "devicestate.h"
#include "devicewire.h"

namespace {

// 10 bits a character (8N1) at 9600 baud.
constexpr qint64 CharTimeUs = 10 * 1000000 / 9600;
constexpr int SplitPauseMs = 40;

} // namespace

EmulatorServer::EmulatorServer(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_noise(options.seed)
{
    for (quint8 address : options.addresses)
        m_responders.emplace(address, DeviceResponder(address));
    m_clock.start();
    m_sendTimer.setSingleShot(true);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, &EmulatorServer::flushOutgoing);
}

EmulatorServer::~EmulatorServer()
{
    if (m_masterFd >= 0)
        ::close(m_masterFd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
}

qint64 EmulatorServer::nowUs() const
{
    return m_clock.nsecsElapsed() / 1000;
}

bool EmulatorServer::loadState(QString *error)
{
    if (m_options.stateFile.isEmpty())
        return true;
    QFile file(m_options.stateFile);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    QString why;
    std::map<quint8, DeviceMemory> memories;
    if (!DeviceState::fromBytes(file.readAll(), m_options.addresses.value(0), memories, &why)) {
        *error = QStringLiteral("state file %1 is damaged (%2); not touching it")
                     .arg(file.fileName(), why);
        return false;
    }
    for (auto &entry : memories) {
        const auto served = m_responders.find(entry.first);
        if (served != m_responders.end())
            served->second.memory() = entry.second;
        else
            m_otherMemories[entry.first] = entry.second;
    }
    return true;
}

bool EmulatorServer::saveState()
{
    if (m_options.stateFile.isEmpty())
        return true;
    std::map<quint8, DeviceMemory> memories = m_otherMemories;
    for (const auto &entry : m_responders)
        memories[entry.first] = entry.second.memory();
    QSaveFile file(m_options.stateFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(DeviceState::toBytes(memories)) < 0
        || !file.commit()) {
        std::fprintf(stderr, "quillmar-device: cannot save %s: %s\n",
                     qPrintable(m_options.stateFile), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

void EmulatorServer::servePty(int masterFd, int slaveFd)
{
    m_masterFd = masterFd;
    m_slaveFd = slaveFd;
    m_notifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EmulatorServer::readPty);
}

bool EmulatorServer::serveSerial(const QString &portName, QString *error)
{
    m_serial = new QSerialPort(portName, this);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("cannot open %1: %2").arg(portName, m_serial->errorString());
        return false;
    }
    m_serial->setBaudRate(QSerialPort::Baud9600);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    connect(m_serial, &QSerialPort::readyRead, this, [this] { received(m_serial->readAll()); });
    connect(m_serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError) {
            std::fprintf(stderr, "quillmar-device: port lost: %s\n",
                         qPrintable(m_serial->errorString()));
            QCoreApplication::exit(1);
        }
    });
    return true;
}

void EmulatorServer::readPty()
{
    char buffer[512];
    const ssize_t n = ::read(m_masterFd, buffer, sizeof buffer);
    if (n > 0) {
        received(QByteArray(buffer, int(n)));
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // We hold the slave side open ourselves, so this is not a client
        // going away; stop watching instead of spinning.
        m_notifier->setEnabled(false);
        std::perror("quillmar-device: read");
        QCoreApplication::exit(1);
    }
}

void EmulatorServer::received(const QByteArray &chunk)
{
    const qint64 now = nowUs();
    const LineAdapter &line = m_options.line;
    const qint64 arrivalUs = line.deliveredUs(now);
    for (const char c : chunk) {
        // With pacing a character is taken no earlier than a 9600 baud
        // line could have delivered it.
        qint64 takenUs = arrivalUs;
        if (m_options.pace) {
            m_inLineFreeUs = qMax(m_inLineFreeUs, arrivalUs) + CharTimeUs;
            takenUs = m_inLineFreeUs;
        }
        // The adapter hears its own transmission: the character comes back
        // as it goes onto the line, ahead of any reply.
        if (line.echoes())
            m_outgoing.push_back({QByteArray(1, c), line.deliveredUs(takenUs), QByteArray()});
        if (!m_assembler.feed(c))
            continue;
        const QByteArray frame = m_assembler.frame();
        const qint64 waitUs = takenUs - now;
        if (waitUs > 500)
            QTimer::singleShot(int((waitUs + 999) / 1000), Qt::PreciseTimer, this,
                               [this, frame] { handleFrame(frame); });
        else
            handleFrame(frame);
    }
    if (line.echoes())
        flushOutgoing();
}

void EmulatorServer::handleFrame(const QByteArray &frame)
{
    const int number = ++m_requests;
    traceFrame("RX", frame);
    const Faults faults = m_options.faults.faultsFor(number);
    if (faults.hangup) {
        hangup();
        return;
    }
    const std::optional<DeviceRequest> request = DeviceResponder::parse(frame);
    if (!request || faults.drop)
        return;
    const auto addressed = m_responders.find(request->destination);
    if (addressed == m_responders.end())
        return;
    DeviceResponder &responder = addressed->second;

    QByteArray reply;
    if (faults.nak) {
        reply = responder.refusal(*request);
    } else {
        const DeviceMemory before = responder.memory();
        bool stored = false;
        reply = responder.respond(*request, &stored);
        // Acknowledge only what is safely on disk.
        if (stored && !saveState()) {
            responder.memory() = before;
            reply = responder.refusal(*request);
        }
    }

    QList<QByteArray> pieces = FaultPlan::shapeReply(reply, faults);
    for (QByteArray &piece : pieces)
        piece = FaultPlan::corrupt(piece, m_options.corruptPercent, m_noise);
    qint64 due = nowUs() + qint64(faults.delayMs) * 1000;
    QByteArray whole;
    for (const QByteArray &piece : pieces)
        whole += piece;
    for (int i = 0; i < pieces.size(); ++i) {
        enqueue(pieces.at(i), due, i == 0 ? whole : QByteArray());
        due += qint64(SplitPauseMs) * 1000;
    }
}

void EmulatorServer::enqueue(const QByteArray &bytes, qint64 dueUs, const QByteArray &traceText)
{
    const LineAdapter &line = m_options.line;
    if (!m_options.pace) {
        m_outgoing.push_back({bytes, line.deliveredUs(dueUs), traceText});
    } else {
        // One entry a character, each a character time after the last.
        for (int i = 0; i < bytes.size(); ++i) {
            m_outLineFreeUs = qMax(m_outLineFreeUs, dueUs) + CharTimeUs;
            m_outgoing.push_back({bytes.mid(i, 1), line.deliveredUs(m_outLineFreeUs),
                                  i == 0 ? traceText : QByteArray()});
        }
    }
    flushOutgoing();
}

void EmulatorServer::flushOutgoing()
{
    const qint64 now = nowUs();
    QByteArray batch;
    while (!m_outgoing.empty() && m_outgoing.front().dueUs <= now + 200) {
        const Outgoing &next = m_outgoing.front();
        if (!next.traceText.isEmpty())
            traceFrame("TX", next.traceText);
        batch += next.bytes;
        m_outgoing.pop_front();
    }
    if (!batch.isEmpty())
        writeLine(batch);
    if (!m_outgoing.empty()) {
        const qint64 waitUs = m_outgoing.front().dueUs - nowUs();
        m_sendTimer.start(int(qMax<qint64>(0, (waitUs + 999) / 1000)));
    }
}

void EmulatorServer::writeLine(const QByteArray &bytes)
{
    if (m_serial) {
        m_serial->write(bytes);
        return;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_masterFd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the client is gone or not reading; the reply is lost, as on a line
        done += n;
    }
}

void EmulatorServer::hangup()
{
    traceFrame("--", QByteArrayLiteral("hangup"));
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_serial)
        m_serial->close();
    if (m_masterFd >= 0)
        ::close(m_masterFd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_masterFd = m_slaveFd = -1;
    QCoreApplication::exit(0);
}

void EmulatorServer::traceFrame(const char *direction, const QByteArray &text)
{
    if (!m_options.trace)
        return;
    QByteArray shown;
    for (const char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\')
            shown += c;
        else
            shown += "\\x" + QByteArray::number(quint8(c), 16).rightJustified(2, '0');
    }
    std::fprintf(stderr, "%10.3f %s %s\n", double(nowUs()) / 1000.0, direction,
                 shown.constData());
    std::fflush(stderr);
}
