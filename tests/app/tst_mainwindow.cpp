#include "app/mainwindow.h"
#include "app/portlist.h"
#include "fakedialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QResource>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

#include <memory>

namespace {

const QString defaultText = QStringLiteral("prgName = \"Prg1\";\n");
const QString filter = QStringLiteral("|Файл программы (*.prgx)");

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// The window's widgets, actions, files and serial-port controls.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();

    void startState();
    void actions();
    void toolBarOrder();
    void iconsAreStoredUncompressed();
    void aboutBox();
    void saveEnablingRules();

    void rememberedDirectory();
    void openTruncatesAtZeroByte();
    void roundTrip_data();
    void roundTrip();
    void newFileThenSaveOverwritesLastFile();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

    void portChoicesOrder();
    void openWithoutPortFails();
    void openAndClosePseudoTerminal();
    void vanishedPeerDisconnects();

private:
    QAction *action(const QString &name) const { return window->findChild<QAction *>(name); }
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    QPlainTextEdit *output() const { return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit")); }
    QSerialPort *port() const { return window->findChild<QSerialPort *>(QStringLiteral("serialPort")); }
    void restartWindow();
    QString connectionState() const;
    bool connectPseudoTerminal();

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    std::unique_ptr<QTemporaryDir> dir;
    int master = -1;
};

void TestMainWindow::init()
{
    QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).clear();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    dialogs = FakeDialogs();
    restartWindow();
}

void TestMainWindow::cleanup()
{
    window.reset();
    if (master >= 0)
        ::close(master);
    master = -1;
}

void TestMainWindow::restartWindow()
{
    window.reset();
    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
}

// "connected" or "disconnected" when every port control agrees, else "mixed".
QString TestMainWindow::connectionState() const
{
    const bool on = !action("connectAction")->isEnabled();
    const bool agree = action("disconnectAction")->isEnabled() == on
        && window->findChild<QComboBox *>(QStringLiteral("portComboBox"))->isEnabled() == !on
        && action("writeAction")->isEnabled() == on && action("readAction")->isEnabled() == on
        && action("cellsAction")->isEnabled() == on;
    return !agree ? QStringLiteral("mixed") : on ? QStringLiteral("connected") : QStringLiteral("disconnected");
}

// Opens a pseudo-terminal whose only terminal-side user is the window's port.
bool TestMainWindow::connectPseudoTerminal()
{
    char name[128] = {};
    int slave = -1;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    ::close(slave);
    window->findChild<QComboBox *>(QStringLiteral("portComboBox"))->setEditText(QString::fromLocal8Bit(name));
    action("connectAction")->trigger();
    return connectionState() == QLatin1String("connected") && dialogs.shown.isEmpty();
}

void TestMainWindow::startState()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillmar"));
    QCOMPARE(window->size(), QSize(450, 600));
    QCOMPARE(editor()->toPlainText(), defaultText);
    QVERIFY(output()->toPlainText().isEmpty() && output()->isReadOnly());
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));

    auto *slaveId = window->findChild<QSpinBox *>(QStringLiteral("slaveIdSpinBox"));
    QCOMPARE(QString("%1..%2").arg(slaveId->minimum()).arg(slaveId->maximum()), QStringLiteral("0..255"));
    auto *cell = window->findChild<QComboBox *>(QStringLiteral("cellComboBox"));
    QCOMPARE(cell->count(), 4);
    QCOMPARE(cell->currentText() + cell->itemText(3), QStringLiteral(" 1 4"));

    QStringList labels;
    for (QLabel *label : window->findChildren<QLabel *>())
        labels.append(label->text() + (label->font().bold() ? "" : " (not bold)"));
    labels.sort();
    QCOMPARE(labels, QStringList({"  Номер\n  порта", " Slave ID", "Ячейка\nпамяти"}));
}

void TestMainWindow::actions()
{
    // name, text, status tip, shortcut, icon, enabled at start
    const QStringList expected = {
        "connectAction|Подключить|Подключить прибор||connect|1",
        "disconnectAction|Отключить|Отключить прибор||disconnect|0",
        "aboutAction|О программе|О программе||about|1",
        "openFileAction|Открыть файл|Открыть файл|Ctrl+O|open|1",
        "saveFileAction|Сохранить файл|Сохранить файл|Ctrl+S|save|1",
        "saveAsAction|Сохранить как ...|Сохранить как ...||SaveAs2|1",
        "compileAction|Скомпилировать|Скомпилировать|F7|root-terminal|1",
        "writeAction|Записать в прибор|Записать в прибор||receive|0",
        "readAction|Считать из прибора|Считать из прибора||outbox|0",
        "newFileAction|Создать файл|Создать файл||Actions-document-new-icon|1",
        "cellsAction|Ячейки прибора|Ячейки прибора||device-cells|0"};
    for (const QString &row : expected) {
        const QStringList field = row.split(QLatin1Char('|'));
        QAction *a = action(field[0]);
        QVERIFY2(a, qPrintable(field[0]));
        QCOMPARE(QStringList({a->objectName(), a->text(), a->statusTip(), a->shortcut().toString(), field[4],
                              a->isEnabled() ? "1" : "0"}), field);
        const QImage image = a->icon().pixmap(32, 32).toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image, QIcon(":/new/prefix1/rec/" + field[4] + ".png").pixmap(32, 32).toImage());
    }
}

void TestMainWindow::toolBarOrder()
{
    auto describe = [](QToolBar *bar) {
        QStringList items;
        for (QAction *a : bar->actions()) {
            QWidget *w = bar->widgetForAction(a);
            if (a->isSeparator())
                items.append(QStringLiteral("|"));
            else if (w && !qobject_cast<QToolButton *>(w))
                items.append(w->objectName().isEmpty() ? QStringLiteral("label") : w->objectName());
            else
                items.append(a->objectName());
        }
        return items.join(QLatin1Char(' ')) + QStringLiteral(" %1px").arg(bar->iconSize().width());
    };
    auto *program = window->findChild<QToolBar *>(QStringLiteral("programToolBar"));
    QCOMPARE(describe(window->findChild<QToolBar *>(QStringLiteral("mainToolBar"))),
             QStringLiteral("connectAction disconnectAction | label portComboBox | label slaveIdSpinBox | | "
                            "aboutAction 32px"));
    QCOMPARE(describe(program), QStringLiteral("newFileAction openFileAction saveFileAction saveAsAction | "
                                               "compileAction writeAction readAction | label cellComboBox | "
                                               "cellsAction 32px"));
    QCOMPARE(window->toolBarArea(program), Qt::TopToolBarArea);
    QVERIFY(window->toolBarBreak(program));
}

void TestMainWindow::iconsAreStoredUncompressed()
{
    const QStringList names = {"connect", "disconnect", "about", "open", "save", "SaveAs2", "root-terminal",
                               "receive", "outbox", "Actions-document-new-icon", "Actions-document-import-icon",
                               "Actions-document-export-icon", "clear", "Programming"};
    for (const QString &name : names) {
        const QString path = QStringLiteral(":/new/prefix1/rec/%1.png").arg(name);
        QVERIFY2(QResource(path).isValid(), qPrintable(path));
        QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
        const QSize size = QImage(path).size();
        QVERIFY2(size == QSize(96, 96) || size == QSize(128, 128), qPrintable(path));
    }
}

void TestMainWindow::aboutBox()
{
    action("aboutAction")->trigger();
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(dialogs.shown.first().startsWith(QStringLiteral("about|О программе|<h2>Quillmar 1.2</h2>")));
}

void TestMainWindow::saveEnablingRules()
{
    QAction *save = action("saveFileAction");
    dialogs.fileName = dir->filePath(QStringLiteral("rules.prgx"));
    QVERIFY(writeBytes(dialogs.fileName, "nop;\n"));
    action("openFileAction")->trigger();
    QVERIFY(!save->isEnabled());
    QTest::keyClick(editor(), Qt::Key_X);
    QVERIFY(save->isEnabled());
    save->trigger();
    QVERIFY(!save->isEnabled());

    output()->setPlainText(QStringLiteral("old messages"));
    action("newFileAction")->trigger();
    QVERIFY(save->isEnabled());
    QCOMPARE(editor()->toPlainText(), defaultText);
    QVERIFY(output()->toPlainText().isEmpty());
}

void TestMainWindow::rememberedDirectory()
{
    // A cancelled dialog neither warns nor remembers anything.
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown, QStringList("open|Open File|" + QDir::currentPath() + filter));
    dialogs.fileName = dir->filePath(QStringLiteral("a.prgx"));
    QVERIFY(writeBytes(dialogs.fileName, "nop;\n"));
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), QStringLiteral("nop;\n"));

    // Kept across a restart, and taken from a file that could not be opened.
    restartWindow();
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub")));
    dialogs.fileName = dir->filePath(QStringLiteral("sub/missing.prgx"));
    dialogs.shown.clear();
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown, QStringList({"open|Open File|" + dir->path() + filter,
                                         "warning|Ошибка|Не удается открыть файл"}));
    QCOMPARE(editor()->toPlainText(), defaultText);
    dialogs.fileName.clear();
    dialogs.shown.clear();
    action("saveAsAction")->trigger();
    QCOMPARE(dialogs.shown, QStringList("save|Save File|" + dir->filePath(QStringLiteral("sub")) + filter));
}

void TestMainWindow::openTruncatesAtZeroByte()
{
    dialogs.fileName = dir->filePath(QStringLiteral("zero.prgx"));
    QVERIFY(writeBytes(dialogs.fileName, QByteArray("nop;\n#1;\0Us = 1;\n", 17)));
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), QStringLiteral("nop;\n#1;"));
}

void TestMainWindow::roundTrip_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("text");
    const QString cyrillic = QStringLiteral("prgName = \"Пр1\";\n// Напряжение на выходе\nUs = 120;\n/* конец */\n");
    QTest::newRow("save") << "saveFileAction" << cyrillic;
    QTest::newRow("save as") << "saveAsAction" << cyrillic;
    QTest::newRow("empty editor") << "saveFileAction" << QString();
}

void TestMainWindow::roundTrip()
{
    QFETCH(QString, slot);
    QFETCH(QString, text);
    dialogs.fileName = dir->filePath(QStringLiteral("кириллица.prgx"));
    QVERIFY(writeBytes(dialogs.fileName, "old content"));
    editor()->setPlainText(text);
    action(slot)->trigger();
    QVERIFY(!action("saveFileAction")->isEnabled());
    QCOMPARE(readBytes(dialogs.fileName), text.toUtf8());

    action("newFileAction")->trigger();
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), text);
}

void TestMainWindow::newFileThenSaveOverwritesLastFile()
{
    const QString path = dir->filePath(QStringLiteral("last.prgx"));
    QVERIFY(writeBytes(path, "nop;\n"));
    dialogs.fileName = path;
    action("openFileAction")->trigger();
    action("newFileAction")->trigger();
    dialogs.shown.clear();
    dialogs.fileName.clear();
    action("saveFileAction")->trigger();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(readBytes(path), defaultText.toUtf8());
}

void TestMainWindow::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("slot");
    QTest::newRow("save") << "saveFileAction";
    QTest::newRow("save as") << "saveAsAction";
}

void TestMainWindow::failedSaveKeepsOldFile()
{
    QFETCH(QString, slot);
    // The file itself can be written, but no temporary file fits beside a
    // name this long: a failure even root cannot get round.
    const QString target = dir->filePath(QString(245, QLatin1Char('n')) + QStringLiteral(".prgx"));
    const QString other = dir->filePath(QStringLiteral("other.prgx"));
    const QByteArray old = "nop;\n#1;\njmp #1;\n";
    QVERIFY(writeBytes(target, old) && writeBytes(other, "nop;\n"));
    // Save writes to the file open; Save As asks, so another file is open.
    const QString current = slot == QLatin1String("saveAsAction") ? other : target;
    dialogs.fileName = current;
    action("openFileAction")->trigger();
    QTest::keyClick(editor(), Qt::Key_X);

    dialogs.fileName = target;
    dialogs.shown.clear();
    action(slot)->trigger();
    QCOMPARE(dialogs.shown.last(), QStringLiteral("warning|Ошибка|Не удается сохранить файл"));
    QVERIFY(action("saveFileAction")->isEnabled());
    QCOMPARE(readBytes(target), old);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files).size(), 2); // no temporary file left

    // The current file is unchanged: Save goes there without asking.
    dialogs.fileName.clear();
    dialogs.shown.clear();
    action("saveFileAction")->trigger();
    QVERIFY(dialogs.shown.filter(QStringLiteral("save|")).isEmpty());
    QCOMPARE(readBytes(current), current == other ? editor()->toPlainText().toUtf8() : old);
}

void TestMainWindow::portChoicesOrder()
{
    // Ports named in the environment come first; empty entries and repeats go.
    const QString sep = QDir::listSeparator();
    QCOMPARE(portChoices(sep + "/dev/pts/7" + sep + sep + "ttyS0" + sep, {"ttyS0", "ttyS1"}),
             QStringList({"/dev/pts/7", "ttyS0", "ttyS1"}));
}

void TestMainWindow::openWithoutPortFails()
{
    window->findChild<QComboBox *>(QStringLiteral("portComboBox"))->setEditText(QString());
    action("connectAction")->trigger();
    QCOMPARE(dialogs.shown, QStringList("critical|Error|Не удается открыть порт"));
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));
    QVERIFY(!port()->isOpen());
}

void TestMainWindow::openAndClosePseudoTerminal()
{
    QVERIFY(connectPseudoTerminal());
    QCOMPARE(::write(master, "ping", 4), ssize_t(4));
    QTRY_COMPARE_WITH_TIMEOUT(port()->bytesAvailable(), qint64(4), 5000);

    action("disconnectAction")->trigger();
    QCOMPARE(connectionState(), QStringLiteral("disconnected"));
    QVERIFY(!port()->isOpen());
}

void TestMainWindow::vanishedPeerDisconnects()
{
    QVERIFY(connectPseudoTerminal());
    int fatalErrors = 0;
    connect(port(), &QSerialPort::errorOccurred, this, [&fatalErrors](QSerialPort::SerialPortError error) {
        fatalErrors += error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    });
    QSignalSpy lost(window.get(), &MainWindow::portLost);

    ::close(master);
    master = -1;
    QTRY_COMPARE_WITH_TIMEOUT(connectionState(), QStringLiteral("disconnected"), 1000);
    // Let any further events arrive: the handler must have run once only.
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(fatalErrors, 1);
    QVERIFY(dialogs.shown.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
