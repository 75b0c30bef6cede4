#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextBlock>

#include "app/devicecellsdialog.h"
#include "emulatorprocess.h"
#include "tests/app/windowtest.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

// The window's write and read commands and its "Ячейки прибора" dialog
// against the emulated device.
class TestTransferWindow : public WindowTest
{
    Q_OBJECT

    // For connect, compile, write, read and the cells.
    QString actionStates() const { return enabled({"connectAction", "compileAction", "writeAction", "readAction", "cellsAction"}); }
    DeviceCellsDialog *dialog() const { return window->findChild<DeviceCellsDialog *>(); }
    void press(const char *button) const { dialog()->findChild<QPushButton *>(QLatin1String(button))->click(); }
    bool stoppable() const { return dialog()->findChild<QPushButton *>("stopButton")->isEnabled(); }
    QString status() const { return dialog()->findChild<QLabel *>("statusLabel")->text(); }
    QTableWidget *table() const { return dialog()->findChild<QTableWidget *>("cellTable"); }
    QString row(int cell) const
    {
        return table()->item(cell, 0)->text() + '|' + table()->item(cell, 1)->text() + '|' + table()->item(cell, 2)->text();
    }
    bool openDialog(EmulatorProcess &device, const QStringList &extra = QStringList())
    {
        // Cell 1 holds the worked example; the dialog asks and reports through boxes.
        boxesExpected = true;
        if (!writeCell(state, 0, compiled(exampleSource), "Test ") || !connectTo(device, extra))
            return false;
        action("cellsAction")->trigger();
        return dialog() && dialog()->isVisible();
    }

    bool boxesExpected = false;

private slots:
    void init()
    {
        startWindow();
        boxesExpected = false;
        state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
        QFile::remove(state);
    }

    void cleanup()
    {
        window.reset();
        // A transfer reports in the pane only.
        if (!boxesExpected)
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
        QVERIFY2(pane()->toPlainText().endsWith(lastLines), qPrintable(pane()->toPlainText()));
        QTEST(editor()->toPlainText(), "editorAfter");
        QCOMPARE(actionStates(), "01111");
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
        QVERIFY(pane()->toPlainText().endsWith("Данные успешно записаны"));
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
        QVERIFY(pane()->toPlainText().endsWith("Строка 1 записана\nОшибка записи"));
        // Compile comes back; write and read stay off with the port closed.
        QCOMPARE(actionStates(), "11000");
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
        QCOMPARE(statesAfterReconnect, "00000");
        QCOMPARE(actionStates(), "01111");
    }

    void tableBackupRestoreRead()
    {
        EmulatorProcess device;
        QVERIFY(openDialog(device));
        QCOMPARE(row(0), QStringLiteral("1|Test |6"));
        QCOMPARE(row(3), QStringLiteral("4|     |0"));
        QVERIFY(table()->selectionModel()->isRowSelected(0, QModelIndex())); // the first cell is chosen to begin with
        QCOMPARE(actionStates(), QStringLiteral("01111"));

        // A refused copy is reported and sends nothing.
        dialogs.fileName = dir.filePath("bad.qmbackup");
        QVERIFY(writeBytes(dialogs.fileName, "{\"format\": \"other\"}"));
        press("restoreButton");
        QCOMPARE(dialogs.shown, QStringList({"open|Восстановить из копии|" + QDir::currentPath() + "|Копия прибора (*.qmbackup)",
                                             "warning|Ошибка|" + dialogs.fileName + ": format: не копия прибора Quillmar"}));
        QCOMPARE(status(), QString());
        QCOMPARE(row(0), QStringLiteral("1|Test |6"));

        dialogs.fileName = dir.filePath("copy");
        press("backupButton");
        const QString copy = dir.filePath("copy.qmbackup");
        QCOMPARE(dialogs.shown.last(), "save|Сохранить копию прибора|" + QDir::currentPath() + "|Копия прибора (*.qmbackup)");
        QCOMPARE(status(), "Копия прибора сохранена: " + QDir::toNativeSeparators(copy));

        // Cell 1 overwritten from the window, then the copy put back.
        dialog()->reject();
        QTRY_VERIFY(!dialog());
        editor()->setPlainText(threeRecordSource);
        action("writeAction")->trigger();
        action("cellsAction")->trigger();
        QCOMPARE(row(0), QStringLiteral("1|Prg1 |3"));
        dialogs.fileName = copy;
        dialogs.confirmed = false;
        press("restoreButton");
        QCOMPARE(dialogs.shown.last(), QStringLiteral("confirm|Ячейки прибора|Перезаписать ячейки 1, 2, 3 и 4 "
                                                      "прибора с адресом 0?"));
        QCOMPARE(row(0), QStringLiteral("1|Prg1 |3"));
        dialogs.confirmed = true;
        press("restoreButton");
        QCOMPARE(status(), QStringLiteral("Записаны и проверены ячейки: 1, 2, 3 и 4"));
        QCOMPARE(row(0), QStringLiteral("1|Test |6"));

        // Read into the editor as "Считать из прибора" does, for the chosen cell.
        child<QComboBox>("cellComboBox")->setCurrentIndex(2);
        table()->selectRow(0);
        press("readButton");
        QTRY_COMPARE(editor()->toPlainText(), exampleSource);
        QVERIFY(!dialog());
        QCOMPARE(child<QComboBox>("cellComboBox")->currentIndex(), 0);
        QVERIFY(pane()->toPlainText().endsWith("Данные успешно считаны и декодированы"));
    }

    void stopDuringBackup()
    {
        EmulatorProcess device;
        QVERIFY(openDialog(device, {"--fault", "delay:every:40"}));
        dialogs.fileName = dir.filePath("stopped.qmbackup");
        QString during;
        QTimer::singleShot(300, this, [&] {
            during = actionStates() + (stoppable() ? " stop " : " ") + QString::number(dialog()->findChild<QProgressBar *>()->maximum());
            // Closing mid-way only stops the work; the dialog stays.
            dialog()->reject();
        });
        press("backupButton");
        QCOMPARE(during, QStringLiteral("00000 stop 14")); // a step a request: two a cell, one a record
        QVERIFY2(status().startsWith("Копия не сохранена (ячейка ") && status().endsWith(": прервано)"),
                 qPrintable(status()));
        QVERIFY(!QFile::exists(dialogs.fileName));
        QVERIFY(dialog()->isVisible());
        QVERIFY(!stoppable());
        QCOMPARE(actionStates(), QStringLiteral("01111"));
    }
};

QTEST_MAIN(TestTransferWindow)
#include "tst_transferwindow.moc"
