#include "app/mainwindow.h"
#include "app/portcombobox.h"
#include "app/portlist.h"
#include "fakedialogs.h"

#include <QAction>
#include <QDir>
#include <QStandardPaths>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

#include <memory>

namespace {

const QString permission = QStringLiteral("Нет прав доступа к порту ttyUSB0. В Linux добавьте пользователя в группу "
                                          "dialout: sudo usermod -aG dialout $USER, затем войдите в систему заново.");

} // namespace

// The port list read again when it opens, and why a port will not open.
class TestPortOpen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void environmentEntries_data();
    void environmentEntries();
    void listFollowsAdapters();
    void failureCause_data();
    void failureCause();
    void openFailureTellsCause_data();
    void openFailureTellsCause();
    void lineSettingsOnOpen();
    void deviceAccess();

private:
    PortComboBox *box() const { return window->findChild<PortComboBox *>(QStringLiteral("portComboBox")); }
    QSerialPort *port() const { return window->findChild<QSerialPort *>(QStringLiteral("serialPort")); }
    // A pseudo-terminal no one holds; its path.
    QString freePseudoTerminal();

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    int master = -1;
};

void TestPortOpen::init()
{
    dialogs = FakeDialogs();
    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
}

void TestPortOpen::cleanup()
{
    window.reset();
    if (master >= 0)
        ::close(master);
    master = -1;
    qunsetenv("QUILLMAR_PORTS");
}

QString TestPortOpen::freePseudoTerminal()
{
    char name[128] = {};
    int slave = -1;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return QString();
    ::close(slave);
    return QString::fromLocal8Bit(name);
}

void TestPortOpen::environmentEntries_data()
{
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("blank entries") << QStringList({" ", "/dev/pts/7", "", "\t"}) << QStringList({"/dev/pts/7", "ttyS0"});
    QTest::newRow("repeated") << QStringList({"/dev/pts/7", " /dev/pts/7 ", "ttyS0"})
                              << QStringList({"/dev/pts/7", "ttyS0"});
}

void TestPortOpen::environmentEntries()
{
    QFETCH(QStringList, listed);
    QTEST(portChoices(listed.join(QDir::listSeparator()), {"ttyS0"}), "expected");
}

void TestPortOpen::listFollowsAdapters()
{
    qputenv("QUILLMAR_PORTS", "/dev/pts/7");
    QStringList plugged = {"ttyUSB0"};
    box()->setSystemPorts([&plugged] { return plugged; });
    box()->setEditText(QStringLiteral("/dev/pts/42"));
    box()->showPopup();
    plugged = QStringList({"ttyACM0", "ttyUSB1"});
    box()->hidePopup();
    box()->showPopup();
    QStringList items;
    for (int i = 0; i < box()->count(); ++i)
        items.append(box()->itemText(i));
    QCOMPARE(items, QStringList({"/dev/pts/7", "ttyACM0", "ttyUSB1"}));
    QCOMPARE(box()->currentText(), QStringLiteral("/dev/pts/42"));
}

void TestPortOpen::failureCause_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<QString>("cause");
    QTest::newRow("not found") << int(QSerialPort::DeviceNotFoundError) << false << "Порт ttyUSB0 не найден";
    QTest::newRow("no permission") << int(QSerialPort::PermissionError) << false << permission;
    QTest::newRow("locked by another program") << int(QSerialPort::PermissionError) << true
                                               << "Порт ttyUSB0 занят другой программой";
    QTest::newRow("already open") << int(QSerialPort::OpenError) << true << "Порт ttyUSB0 занят другой программой";
    QTest::newRow("other") << int(QSerialPort::UnsupportedOperationError) << true << "system text";
}

void TestPortOpen::failureCause()
{
    QFETCH(int, error);
    QFETCH(bool, accessible);
    QTEST(portOpenFailure("ttyUSB0", QSerialPort::SerialPortError(error), accessible, "system text"), "cause");
}

void TestPortOpen::openFailureTellsCause_data()
{
    QTest::addColumn<QString>("name"); // "pty": a pseudo-terminal another port holds
    QTest::addColumn<QString>("cause"); // the system's text when it is none of ours
    QTest::newRow("missing") << "/dev/pts/99999" << "Порт /dev/pts/99999 не найден";
    QTest::newRow("none chosen") << "" << "Порт  не найден";
    QTest::newRow("busy") << "pty" << "Порт %1 занят другой программой";
    QTest::newRow("not a serial port") << "/dev/null" << "Inappropriate ioctl for device";
}

void TestPortOpen::openFailureTellsCause()
{
    QFETCH(QString, name);
    QFETCH(QString, cause);
    QSerialPort holder;
    if (name == QLatin1String("pty")) {
        name = freePseudoTerminal();
        holder.setPortName(name);
        QVERIFY(holder.open(QIODevice::ReadWrite));
        cause = cause.arg(name);
    }
    box()->setEditText(name);
    window->findChild<QAction *>(QStringLiteral("connectAction"))->trigger();
    QCOMPARE(dialogs.shown, QStringList("critical|Error|Не удается открыть порт"));
    QCOMPARE(dialogs.informative, QStringList(cause));
    QVERIFY(!port()->isOpen());
}

void TestPortOpen::lineSettingsOnOpen()
{
    port()->setBaudRate(1200);
    port()->setDataBits(QSerialPort::Data7);
    port()->setParity(QSerialPort::EvenParity);
    port()->setStopBits(QSerialPort::TwoStop);
    box()->setEditText(freePseudoTerminal());
    window->findChild<QAction *>(QStringLiteral("connectAction"))->trigger();
    QVERIFY(port()->isOpen());
    QCOMPARE(QString("%1 %2 %3 %4").arg(port()->baudRate()).arg(port()->dataBits()).arg(port()->parity()).arg(port()->stopBits()),
             QStringLiteral("9600 8 0 1"));
}

void TestPortOpen::deviceAccess()
{
    // A bare name is looked up under /dev, as QSerialPort does.
    QVERIFY(portDeviceAccessible("null"));
    QVERIFY(portDeviceAccessible("/dev/null"));
    QVERIFY(!portDeviceAccessible("nosuchport"));
}

QTEST_MAIN(TestPortOpen)
#include "tst_portopen.moc"
