#include <QSpinBox>
#include <QTextBlock>

#include "emulatorprocess.h"
#include "tests/app/windowtest.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

// The window's write and read commands against the emulated device.
class TestTransferWindow : public WindowTest
{
    Q_OBJECT

    QString paneText() const { return pane()->toPlainText(); }
    // For connect, compile, write, read.
    QString actionStates() const { return enabled({"connectAction", "compileAction", "writeAction", "readAction"}); }

private slots:
    void init()
    {
        startWindow();
        state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
        QFile::remove(state);
    }

    void cleanup()
    {
        window.reset();
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.shown.join('\n')));
    }

    void transferEndsWithActionsEnabled_data()
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
        QTest::newRow("download") << "readAction" << "\n\nUs = 5;\n"
            << "Строка 5 считана\nДанные успешно считаны и декодированы" << exampleSource << 8;
    }

    void transferEndsWithActionsEnabled()
    {
        QFETCH(QString, actionName);
        QFETCH(QString, source);
        QFETCH(QString, lastLines);
        QVERIFY(writeCell(state, 0, compiled(exampleSource), "Test "));
        EmulatorProcess device;
        QVERIFY(connectTo(device));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        editor()->setPlainText(source);
        action("compileAction")->trigger(); // leaves pane lines that lead to source lines
        action(qPrintable(actionName))->trigger();
        QVERIFY2(paneText().endsWith(lastLines), qPrintable(paneText()));
        QTEST(editor()->toPlainText(), "editorAfter");
        QCOMPARE(actionStates(), "0111");
        // A transfer's own lines lead nowhere: a double click leaves the caret.
        editor()->setTextCursor(QTextCursor(editor()->document()));
        const QTextCursor line1(pane()->document()->findBlockByNumber(1));
        QTest::mouseDClick(pane()->viewport(), Qt::LeftButton, Qt::NoModifier, pane()->cursorRect(line1).center() + QPoint(2, 0));
        QCOMPARE(editor()->textCursor().blockNumber(), 0);
        device.stop();
        QTEST(device.requestCount(), "requests");
    }

    // The address and cell are read at each transfer, and a New during an
    // upload changes nothing that is sent.
    void uploadSendsWhatWasThereWhereChosen()
    {
        EmulatorProcess device;
        QVERIFY(connectTo(device, {"--address", "5"}));
        child<QSpinBox>("slaveIdSpinBox")->setValue(5);
        editor()->setPlainText(threeRecordSource);
        action("writeAction")->trigger();
        child<QComboBox>("cellComboBox")->setCurrentIndex(2);
        const QString source = countingSource(10);
        editor()->setPlainText(source);
        bool duringUpload = false;
        QTimer::singleShot(0, window.get(), [&] {
            duringUpload = !action("writeAction")->isEnabled();
            action("newFileAction")->trigger();
        });
        action("writeAction")->trigger();
        QVERIFY(duringUpload);
        QVERIFY(paneText().endsWith("Данные успешно записаны"));
        QCOMPARE(editor()->toPlainText(), QStringLiteral("prgName = \"Prg1\";\n"));
        device.stop();
        const DeviceMemory memory = readState(state);
        QCOMPARE(memory.count(0), 3);
        QCOMPARE(memory.count(2), 10);
        QCOMPARE(memory.name(2), QByteArray("Many "));
        QCOMPARE(memory.record(2, 9), compiled(source).last().toImage());
    }

    void killedDeviceEndsUploadAndDisconnects()
    {
        EmulatorProcess device;
        // The third record is answered late, so the kill lands while it waits.
        QVERIFY(connectTo(device, {"--fault", "delay:3:5000"}));
        editor()->setPlainText(countingSource(20));
        QTimer::singleShot(100, window.get(), [&] { device.kill(); });
        action("writeAction")->trigger();
        QVERIFY(paneText().endsWith("Строка 1 записана\nОшибка записи"));
        // Compile comes back; write and read stay off with the port closed.
        QCOMPARE(actionStates(), "1100");
        QVERIFY(!action("disconnectAction")->isEnabled());
    }

    void reconnectDuringTransferOffersNoSecondOne_data()
    {
        QTest::addColumn<QByteArray>("transfer");
        QTest::newRow("write") << QByteArray("writeAction");
        QTest::newRow("read") << QByteArray("readAction");
    }

    void reconnectDuringTransferOffersNoSecondOne()
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
};

QTEST_MAIN(TestTransferWindow)
#include "tst_transferwindow.moc"
