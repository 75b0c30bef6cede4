#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
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
    void uploadThenDownload();
    void defaultProgramOnTheDeviceListedFirst();
    void workedExampleComesBack();
    void compileErrorSendsNothing();
    void failureEnablesActionsAgain_data();
    void failureEnablesActionsAgain();
    void newFileDuringUploadChangesNothingSent();
    void killedDeviceEndsUploadAndDisconnects();
    void cellAndAddressAreReadPerTransfer();
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

void TestTransferWindow::uploadThenDownload()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    editor()->setPlainText(threeRecordSource);
    action("writeAction")->trigger();
    QCOMPARE(pane(), QStringLiteral("Запись данных в устройство\nСтрока 0 записана\nСтрока 1 записана\n"
                                    "Строка 2 записана\nSize записан\nPrgName \"Prg1\" записан\n\n"
                                    "Данные успешно записаны"));
    QCOMPARE(actionStates(), "0111");

    editor()->setPlainText("nop;");
    action("readAction")->trigger();
    QCOMPARE(pane(), QStringLiteral("Чтение данных из устройства\nВсего строк 3\nprgName = \"Prg1 \"\n"
                                    "Строка 0 считана\nСтрока 1 считана\nСтрока 2 считана\n"
                                    "Данные успешно считаны и декодированы"));
    QCOMPARE(editor()->toPlainText(), threeRecordDecoded().join('\n'));
    QCOMPARE(editor()->document()->blockCount(), 5);
    QVERIFY(action("saveFileAction")->isEnabled());
    QCOMPARE(actionStates(), "0111");
}

void TestTransferWindow::defaultProgramOnTheDeviceListedFirst()
{
    // As scripts/run.sh starts it: the emulator's terminal listed first.
    EmulatorProcess device;
    QVERIFY(device.start({"--state", state}, false));
    qputenv("QUILLMAR_PORTS", device.portName().toLocal8Bit());
    window = std::make_unique<MainWindow>();
    qunsetenv("QUILLMAR_PORTS");
    window->setDialogs(&dialogs);
    action("connectAction")->trigger();
    QCOMPARE(actionStates(), "0111");

    // The default program has a name but no records: nothing to send.
    action("writeAction")->trigger();
    QCOMPARE(pane(), QStringLiteral("Запись данных в устройство\nНет данных для записи"));
    action("readAction")->trigger();
    QCOMPARE(pane(), QStringLiteral("Чтение данных из устройства\nНет записей для чтения"));
    QCOMPARE(editor()->toPlainText(), QStringLiteral("prgName = \"Prg1\";\n"));
    QCOMPARE(actionStates(), "0111");
}

void TestTransferWindow::workedExampleComesBack()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    editor()->setPlainText(exampleSource);
    action("writeAction")->trigger();
    QVERIFY(pane().endsWith("Данные успешно записаны"));
    editor()->clear();
    action("readAction")->trigger();
    QCOMPARE(editor()->toPlainText(), exampleSource);
}

void TestTransferWindow::compileErrorSendsNothing()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device));
    editor()->setPlainText("prgName = \"Prg1\";\nUs == 5;\nnop;\n");
    action("writeAction")->trigger();
    QCOMPARE(pane(), QStringLiteral("Компиляция:\nprgName = \"Prg1\";\nerror: Us == 5;\nnop;\n"));
    QCOMPARE(actionStates(), "0111");
    device.stop();
    QCOMPARE(device.requestCount(), 0);
}

void TestTransferWindow::failureEnablesActionsAgain_data()
{
    QTest::addColumn<QString>("actionName");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("upload, record 1 refused") << "writeAction" << QStringList{"--fault", "nak:2"} << "Ошибка записи";
    QTest::newRow("download, count unreadable") << "readAction" << QStringList{"--fault", "badcrc:every"}
                                                << "error: ошибка чтения size";
    QTest::newRow("download, empty cell") << "readAction" << QStringList() << "Нет записей для чтения";
}

void TestTransferWindow::failureEnablesActionsAgain()
{
    QFETCH(QString, actionName);
    QFETCH(QStringList, faults);
    EmulatorProcess device;
    QVERIFY(connectTo(device, faults));
    editor()->setPlainText(threeRecordSource);
    action(qPrintable(actionName))->trigger();
    QTEST(pane().split('\n').last(), "lastLine");
    QCOMPARE(editor()->toPlainText(), threeRecordSource);
    QCOMPARE(actionStates(), "0111");
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
    const StoredCell cell = readCell(state, 0);
    QCOMPARE(cell.count, 10);
    QCOMPARE(cell.name, QByteArray("Many "));
    const QVector<InstructionRecord> sent = compiled(source);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(cell.images.at(i), sent.at(i).toImage());
}

void TestTransferWindow::killedDeviceEndsUploadAndDisconnects()
{
    EmulatorProcess device;
    // The third record is answered late, so the kill lands while it waits.
    QVERIFY(connectTo(device, {"--fault", "delay:3:5000"}));
    editor()->setPlainText(countingSource(20));
    QElapsedTimer sinceKill;
    QTimer::singleShot(100, window.get(), [&] {
        device.kill();
        sinceKill.start();
    });
    action("writeAction")->trigger();
    // Waiting out every remaining record would take many seconds.
    QVERIFY2(sinceKill.elapsed() < 1500, qPrintable(QString::number(sinceKill.elapsed())));
    QVERIFY(pane().endsWith("Строка 1 записана\nОшибка записи"));
    QCOMPARE(actionStates(), "1100");
    QVERIFY(!action("disconnectAction")->isEnabled());
}

void TestTransferWindow::cellAndAddressAreReadPerTransfer()
{
    EmulatorProcess device;
    QVERIFY(device.start({"--state", state, "--address", "5"}, false));
    window->findChild<QComboBox *>("portComboBox")->setEditText(device.portName());
    action("connectAction")->trigger();
    window->findChild<QSpinBox *>("slaveIdSpinBox")->setValue(5);
    auto *cell = window->findChild<QComboBox *>("cellComboBox");

    editor()->setPlainText(threeRecordSource);
    action("writeAction")->trigger();
    cell->setCurrentIndex(2);
    editor()->setPlainText(countingSource(2));
    action("writeAction")->trigger();
    QVERIFY(pane().endsWith("Данные успешно записаны"));
    device.stop();
    QCOMPARE(readCell(state, 0).count, 3);
    QCOMPARE(readCell(state, 2).count, 2);
    QCOMPARE(readCell(state, 2).name, QByteArray("Many "));
}

void TestTransferWindow::reconnectDuringTransferOffersNoSecondOne()
{
    EmulatorProcess device;
    QVERIFY(connectTo(device, {"--fault", "delay:1:400"}));
    editor()->setPlainText(threeRecordSource);
    QString statesAfterReconnect;
    QTimer::singleShot(100, window.get(), [&] {
        action("disconnectAction")->trigger();
        action("connectAction")->trigger();
        statesAfterReconnect = actionStates();
    });
    action("writeAction")->trigger();
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
