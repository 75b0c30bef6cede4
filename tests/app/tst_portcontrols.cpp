#include "app/mainwindow.h"
#include "app/portlist.h"
#include "fakedialogs.h"

#include <QAction>
#include <QComboBox>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

#include <memory>

class TestPortControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void portChoicesOrder_data();
    void portChoicesOrder();
    void environmentPortsListedFirst();
    void openWithoutPortFails();
    void openAndClosePseudoTerminal();
    void closeWhileDisconnectedIsHarmless();
    void vanishedPeerDisconnects();

private:
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QComboBox *portBox() const { return window->findChild<QComboBox *>(QStringLiteral("portComboBox")); }
    QString connectionState() const;
    QString openPseudoTerminal();

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    int master = -1;
    int slave = -1;
};

void TestPortControls::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestPortControls::init()
{
    window = std::make_unique<MainWindow>();
    dialogs = FakeDialogs();
    window->setDialogs(&dialogs);
}

void TestPortControls::cleanup()
{
    window.reset();
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
    master = slave = -1;
}

// "connected" or "disconnected" when every control agrees, else the mix.
QString TestPortControls::connectionState() const
{
    const bool connected = !action("connectAction")->isEnabled();
    const bool agree = action("disconnectAction")->isEnabled() == connected && portBox()->isEnabled() == !connected
        && action("writeAction")->isEnabled() == connected && action("readAction")->isEnabled() == connected;
    if (!agree)
        return QStringLiteral("mixed");
    return connected ? QStringLiteral("connected") : QStringLiteral("disconnected");
}

QString TestPortControls::openPseudoTerminal()
{
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return QString();
    // Only the window's port keeps the terminal side open.
    ::close(slave);
    slave = -1;
    return QString::fromLocal8Bit(name);
}

void TestPortControls::portChoicesOrder_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QStringList>("expected");

    const QString sep = QDir::listSeparator();
    QTest::newRow("nothing") << QString() << QStringList() << QStringList();
    QTest::newRow("found only") << QString() << QStringList{"ttyS0", "ttyUSB0"} << QStringList{"ttyS0", "ttyUSB0"};
    QTest::newRow("environment first") << "/dev/pts/7" + sep + "/dev/pts/9" << QStringList{"ttyS0"}
                                       << QStringList{"/dev/pts/7", "/dev/pts/9", "ttyS0"};
    QTest::newRow("empty entries and duplicates") << sep + "ttyS0" + sep + sep + "/dev/pts/3" + sep
                                                  << QStringList{"ttyS0", "ttyS1"}
                                                  << QStringList{"ttyS0", "/dev/pts/3", "ttyS1"};
}

void TestPortControls::portChoicesOrder()
{
    QFETCH(QString, environment);
    QFETCH(QStringList, found);
    QTEST(portChoices(environment, found), "expected");
}

void TestPortControls::environmentPortsListedFirst()
{
    qputenv("QUILLMAR_PORTS", QByteArray("/dev/pts/41") + QDir::listSeparator().toLatin1() + "/dev/pts/42");
    MainWindow other;
    qunsetenv("QUILLMAR_PORTS");
    auto *box = other.findChild<QComboBox *>(QStringLiteral("portComboBox"));
    QVERIFY(box->count() >= 2);
    QCOMPARE(box->itemText(0), QStringLiteral("/dev/pts/41"));
    QCOMPARE(box->itemText(1), QStringLiteral("/dev/pts/42"));
    QVERIFY(box->isEditable());
    QCOMPARE(box->height(), 30);
    // The path must fit inside the box.
    QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(QStringLiteral("/dev/pts/42")));
}

void TestPortControls::openWithoutPortFails()
{
    portBox()->setEditText(QString());
    action("connectAction")->trigger();
    QCOMPARE(dialogs.shown, QStringList{QStringLiteral("critical|Error|Не удается открыть порт")});
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));
    QVERIFY(!window->findChild<QSerialPort *>(QStringLiteral("serialPort"))->isOpen());
}

void TestPortControls::openAndClosePseudoTerminal()
{
    const QString path = openPseudoTerminal();
    QVERIFY(!path.isEmpty());
    portBox()->setEditText(path);
    action("connectAction")->trigger();
    QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.shown.join(QLatin1Char('\n'))));
    QCOMPARE(connectionState(), QStringLiteral("connected"));
    auto *port = window->findChild<QSerialPort *>(QStringLiteral("serialPort"));
    QVERIFY(port->isOpen());
    QCOMPARE(port->baudRate(), 9600);
    QCOMPARE(port->dataBits(), QSerialPort::Data8);

    // The window really talks through the terminal.
    QCOMPARE(::write(master, "ping", 4), ssize_t(4));
    QTRY_COMPARE_WITH_TIMEOUT(port->bytesAvailable(), qint64(4), 5000);

    action("disconnectAction")->trigger();
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));
    QVERIFY(!port->isOpen());
}

void TestPortControls::closeWhileDisconnectedIsHarmless()
{
    action("disconnectAction")->setEnabled(true);
    window->ClosePort();
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestPortControls::vanishedPeerDisconnects()
{
    const QString path = openPseudoTerminal();
    QVERIFY(!path.isEmpty());
    portBox()->setEditText(path);
    action("connectAction")->trigger();
    QCOMPARE(connectionState(), QStringLiteral("connected"));

    auto *port = window->findChild<QSerialPort *>(QStringLiteral("serialPort"));
    int fatalErrors = 0;
    connect(port, &QSerialPort::errorOccurred, this, [&fatalErrors](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
            ++fatalErrors;
    });
    QSignalSpy lost(window.get(), &MainWindow::portLost);

    ::close(master);
    master = -1;
    QTRY_COMPARE_WITH_TIMEOUT(connectionState(), QStringLiteral("disconnected"), 1000);
    QVERIFY(!port->isOpen());
    // Let any further events arrive: the handler must have run once only.
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(fatalErrors, 1);
    QVERIFY(dialogs.shown.isEmpty());
}

QTEST_MAIN(TestPortControls)
#include "tst_portcontrols.moc"
