// quillmar-device: a stand-in for the Norvex power supply on a
// pseudo-terminal or a serial port, for testing without the device.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "emulatorserver.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool watchSignals()
{
    if (::pipe(signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QCoreApplication::exit(0); });
    return true;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "quillmar-device: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmar-device"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulated Norvex power supply. Without --port it creates a pseudo-terminal and prints\n"
        "its path as the first line of standard output; with --port it prints the port name.\n"
        "Serves until SIGINT or SIGTERM.\n\n"
        "Faults (each on the N-th complete frame received, counting every frame from 1,\n"
        "or on every frame with N = every; several --fault options combine):\n"
        "  drop:N  delay:N:MS  badcrc:N  nak:N  lowercase:N  garbage:N  split:N\n"
        "  wrongaddr:N  short:N  hangup:N  overfull:N\n"
        "--corrupt P damages each reply character with probability P percent."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Serve this serial port instead of a pseudo-terminal."),
                                        QStringLiteral("name"));
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Slave address, 0 to 255 (default 0); several --address serve several devices on one line."),
                                           QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption stateOption(QStringLiteral("state"),
                                         QStringLiteral("Keep the memory cells in this file."),
                                         QStringLiteral("file"));
    const QCommandLineOption paceOption(QStringLiteral("pace"),
                                        QStringLiteral("Take and send characters at 9600 baud 8N1 speed."));
    const QCommandLineOption faultOption(QStringLiteral("fault"),
                                         QStringLiteral("Inject a fault (see above)."),
                                         QStringLiteral("kind:N[:MS]"));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
                                         QStringLiteral("Write every frame received (RX) and sent (TX) to standard error."));
    const QCommandLineOption corruptOption(QStringLiteral("corrupt"),
                                           QStringLiteral("Replace each reply character by another with this probability (percent, 0 to 100)."),
                                           QStringLiteral("percent"), QStringLiteral("0"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the line noise (default 1)."),
                                        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption echoOption(QStringLiteral("echo"),
                                        QStringLiteral("Return every character received, as an RS-485 adapter without echo suppression does."));
    const QCommandLineOption latencyOption(QStringLiteral("latency"),
                                           QStringLiteral("Deliver characters in bursts every MS milliseconds, as a USB adapter's latency timer does (0 to 1000, default 0: at once)."),
                                           QStringLiteral("MS"), QStringLiteral("0"));
    parser.addOptions({portOption, addressOption, stateOption, paceOption, faultOption, traceOption,
                       corruptOption, seedOption});
    parser.addOptions({echoOption, latencyOption});
    parser.process(app);

    EmulatorServer::Options options;
    bool ok = false;
    options.addresses.clear();
    for (const QString &value : parser.values(addressOption)) {
        const int address = value.toInt(&ok);
        if (!ok || address < 0 || address > 255 || options.addresses.contains(quint8(address)))
            return fail(QStringLiteral("--address must be 0 to 255, each address once"));
        options.addresses.append(quint8(address));
    }
    options.pace = parser.isSet(paceOption);
    options.trace = parser.isSet(traceOption);
    options.stateFile = parser.value(stateOption);
    options.corruptPercent = parser.value(corruptOption).toDouble(&ok);
    if (!ok || options.corruptPercent < 0 || options.corruptPercent > 100)
        return fail(QStringLiteral("--corrupt must be 0 to 100"));
    options.seed = parser.value(seedOption).toUInt(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed must be a number from 0"));
    const int latencyMs = parser.value(latencyOption).toInt(&ok);
    if (!ok || latencyMs < 0 || latencyMs > LineAdapter::MaxLatencyMs)
        return fail(QStringLiteral("--latency must be 0 to %1").arg(LineAdapter::MaxLatencyMs));
    options.line = LineAdapter(parser.isSet(echoOption), latencyMs);
    for (const QString &option : parser.values(faultOption)) {
        QString error;
        if (!options.faults.add(option, &error))
            return fail(error);
    }

    EmulatorServer server(options);
    QString error;
    if (!server.loadState(&error))
        return fail(error);
    if (!watchSignals())
        return fail(QStringLiteral("cannot watch signals"));

    if (parser.isSet(portOption)) {
        if (!server.serveSerial(parser.value(portOption), &error))
            return fail(error);
        std::printf("%s\n", qPrintable(parser.value(portOption)));
    } else {
        int master = -1;
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return fail(QStringLiteral("cannot create a pseudo-terminal"));
        termios tio = {};
        if (::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        server.servePty(master, slave);
        std::printf("%s\n", name);
    }
    std::fflush(stdout);
    return app.exec();
}
