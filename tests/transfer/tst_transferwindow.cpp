#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include <memory>

#include "app/mainwindow.h"
#include "emulatorprocess.h"
#include "tests/app/fakedialogs.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

// The window's write and read commands against the emulated device.
class TestTransferWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void transferEndsWithActionsEnabled_data();
    void transferEndsWithActionsEnabled();
    void newFileDuringUploadChangesNothingSent();
    void killedDeviceEndsUploadAndDisconnects();
    void cellAndAddressAreReadPerTransfer();
    void reconnectDuringTransferOffersNoSecondOne_data();
    void reconnectDuringTransferOffersNoSecondOne();
    void transferPaneLeadsToNoSourceLine();

private:
    bool connectTo(EmulatorProcess &device, const QStringList &extra = QStringList());
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QString pane() const { return window->findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText(); }
    QTextEdit *editor() const { return window->findChild<QTextEdit *>("textEdit"); }
    // "1" or "0" for connect, compile, write, read.
    QString actionStates() const;

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    QTemporaryDir dir;
    QString state;
};

void TestTransferWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestTransferWindow::init()
{
    window = std::make_unique<MainWindow>();
    dialogs = FakeDialogs();
    window->setDialogs(&dialogs);
    state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
    QFile::remove(state);
}

void TestTransferWindow::cleanup()
{
    window.reset();
    QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.shown.join('\n')));
}

bool TestTransferWindow::connectTo(EmulatorProcess &device, const QStringList &extra)
{
    if (!device.start(QStringList{"--state", state} + extra, false))
        return false;
    window->findChild<QComboBox *>("portComboBox")->setEditText(device.portName());
    action("connectAction")->trigger();
    return actionStates() == "0111";
}

QString TestTransferWindow::actionStates() const
{
    QString states;
    for (const char *name : {"connectAction", "compileAction", "writeAction", "readAction"})
        states += action(name)->isEnabled() ? '1' : '0';
    return states;
}

void TestTransferWindow::transferEndsWithActionsEnabled_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("lastLines");
    QTest::addColumn<QString>("editorAfter");
    QTest::addColumn<int>("requests");
    const QString bad = QStringLiteral("prgName = \"P\";\nUs == 5;\nnop;\n");
    QTest::newRow("upload") << "writeAction" << exampleSource
        << "Строка 5 записана\nSize записан\nPrgName \"Test\" записан\n\nДанные успешно записаны" << exampleSource << 8;
    QTest::newRow("upload, compile error") << "writeAction" << bad
        << "Компиляция:\nprgName = \"P\";\nerror: Us == 5;\nnop;\n" << bad << 0;
    QTest::newRow("download") << "readAction" << "nop;"
        << "Строка 5 считана\nДанные успешно считаны и декодированы" << exampleSource << 8;
}

void TestTransferWindow::transferEndsWithActionsEnabled()
{
    QFETCH(QString, actionName);
    QFETCH(QString, source);
    QFETCH(QString, lastLines);
    QVERIFY(writeCell(state, 0, compiled(exampleSource), "Test "));
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    editor()->setPlainText(source);
    action(qPrintable(actionName))->trigger();
    QVERIFY2(pane().endsWith(lastLines), qPrintable(pane()));
    QTEST(editor()->toPlainText(), "editorAfter");
    QCOMPARE(actionStates(), "0111");
    device.stop();
    QTEST(device.requestCount(), "requests");
}

void TestTransferWindow::newFileDuringUploadChangesNothingSent()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    const QString source = countingSource(10);
    editor()->setPlainText(source);
    bool duringUpload = false;
    QTimer::singleShot(0, window.get(), [&] {
        duringUpload = !action("writeAction")->isEnabled();
        action("newFileAction")->trigger();
    });
    action("writeAction")->trigger();
    QVERIFY(duringUpload);
    QVERIFY(pane().endsWith("Данные успешно записаны"));
    QCOMPARE(editor()->toPlainText(), QStringLiteral("prgName = \"Prg1\";\n"));
    device.stop();
    const DeviceMemory memory = readState(state);
    QCOMPARE(memory.count(0), 10);
    QCOMPARE(memory.name(0), QByteArray("Many "));
    QCOMPARE(memory.record(0, 9), compiled(source).last().toImage());
}

void TestTransferWindow::killedDeviceEndsUploadAndDisconnects()
{
    EmulatorProcess device;
    // The third record is answered late, so the kill lands while it waits.
    QVERIFY(connectTo(device, {"--fault", "delay:3:5000"}));
    editor()->setPlainText(countingSource(20));
    QTimer::singleShot(100, window.get(), [&] { device.kill(); });
    action("writeAction")->trigger();
    QVERIFY(pane().endsWith("Строка 1 записана\nОшибка записи"));
    // Compile comes back; write and read stay off with the port closed.
    QCOMPARE(actionStates(), "1100");
    QVERIFY(!action("disconnectAction")->isEnabled());
}

void TestTransferWindow::cellAndAddressAreReadPerTransfer()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device, {"--address", "5"}));
    window->findChild<QSpinBox *>("slaveIdSpinBox")->setValue(5);
    editor()->setPlainText(threeRecordSource);
    action("writeAction")->trigger();
    window->findChild<QComboBox *>("cellComboBox")->setCurrentIndex(2);
    editor()->setPlainText(countingSource(2));
    action("writeAction")->trigger();
    QVERIFY(pane().endsWith("Данные успешно записаны"));
    device.stop();
    QCOMPARE(readState(state).count(0), 3);
    QCOMPARE(readState(state).count(2), 2);
    QCOMPARE(readState(state).name(2), QByteArray("Many "));
}

void TestTransferWindow::reconnectDuringTransferOffersNoSecondOne_data()
{
    QTest::addColumn<QByteArray>("transfer");
    QTest::newRow("write") << QByteArray("writeAction");
    QTest::newRow("read") << QByteArray("readAction");
}

void TestTransferWindow::reconnectDuringTransferOffersNoSecondOne()
{
    QFETCH(QByteArray, transfer);
    EmulatorProcess device;
    QVERIFY(connectTo(device, {"--fault", "delay:1:400"}));
    editor()->setPlainText(threeRecordSource);
    QString statesAfterReconnect;
    QTimer::singleShot(100, window.get(), [&] {
        action("disconnectAction")->trigger();
        action("connectAction")->trigger();
        statesAfterReconnect = actionStates();
    });
    action(transfer.constData())->trigger();
    QCOMPARE(statesAfterReconnect, "0000");
    QCOMPARE(actionStates(), "0111");
}

void TestTransferWindow::transferPaneLeadsToNoSourceLine()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    editor()->setPlainText("\n\nUs = 5;\n");
    action("compileAction")->trigger();  // pane line 1 came from source line 3
    action("readAction")->trigger();
    editor()->setTextCursor(QTextCursor(editor()->document()));

    auto *paneEdit = window->findChild<QPlainTextEdit *>("plainTextEdit");
    const QTextCursor line1(paneEdit->document()->findBlockByNumber(1));
    QCOMPARE(line1.block().text(), QStringLiteral("Нет записей для чтения"));
    QTest::mouseDClick(paneEdit->viewport(), Qt::LeftButton, Qt::NoModifier,
                       paneEdit->cursorRect(line1).center() + QPoint(2, 0));
    QCOMPARE(editor()->textCursor().blockNumber(), 0);
}

QTEST_MAIN(TestTransferWindow)
#include "tst_transferwindow.moc"
