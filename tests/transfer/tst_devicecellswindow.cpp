#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "app/devicecellsdialog.h"
#include "emulatorprocess.h"
#include "tests/app/windowtest.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

// "Ячейки прибора" in the window, its buttons pressed against the emulated
// device, every file dialog and question answered through FakeDialogs.
class TestDeviceCellsWindow : public WindowTest
{
    Q_OBJECT

    DeviceCellsDialog *dialog() const { return window->findChild<DeviceCellsDialog *>(); }
    void press(const char *button) const { dialog()->findChild<QPushButton *>(QLatin1String(button))->click(); }
    QString status() const { return dialog()->findChild<QLabel *>("statusLabel")->text(); }
    QTableWidget *table() const { return dialog()->findChild<QTableWidget *>("cellTable"); }
    QString row(int cell) const
    {
        return table()->item(cell, 0)->text() + '|' + table()->item(cell, 1)->text() + '|' + table()->item(cell, 2)->text();
    }
    QString actionStates() const { return enabled({"compileAction", "writeAction", "readAction", "cellsAction"}); }
    bool openDialog(EmulatorProcess &device, const QStringList &extra = QStringList())
    {
        if (!connectTo(device, extra))
            return false;
        action("cellsAction")->trigger();
        return dialog() && dialog()->isVisible();
    }

private slots:
    void init()
    {
        startWindow();
        state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
        QVERIFY(writeCell(state, 0, compiled(exampleSource), "Test "));
    }

    void cleanup() { window.reset(); }

    void tableBackupRestoreRead()
    {
        EmulatorProcess device;
        QVERIFY(openDialog(device));
        QCOMPARE(row(0), QStringLiteral("1|Test |6"));
        QCOMPARE(row(3), QStringLiteral("4|     |0"));
        QCOMPARE(table()->columnCount(), 3);
        QCOMPARE(actionStates(), QStringLiteral("1111"));

        // A refused copy is reported and sends nothing.
        dialogs.fileName = dir.filePath("bad.qmbackup");
        QVERIFY(writeBytes(dialogs.fileName, "{\"format\": \"other\"}"));
        press("restoreButton");
        QCOMPARE(dialogs.shown, QStringList({"open|Восстановить из копии|" + QDir::currentPath() + "|Копия прибора (*.qmbackup)",
                                             "warning|Ошибка|" + dialogs.fileName + ": format: не копия прибора Quillmar"}));
        QCOMPARE(status(), QString());
        QCOMPARE(row(0), QStringLiteral("1|Test |6"));

        dialogs.shown.clear();
        dialogs.fileName = dir.filePath("copy");
        press("backupButton");
        const QString copy = dir.filePath("copy.qmbackup");
        QCOMPARE(dialogs.shown, QStringList("save|Сохранить копию прибора|" + QDir::currentPath()
                                            + "|Копия прибора (*.qmbackup)"));
        QCOMPARE(status(), "Копия прибора сохранена: " + QDir::toNativeSeparators(copy));

        // Cell 1 overwritten from the window, then the copy put back.
        dialog()->reject();
        QTRY_VERIFY(!dialog());
        editor()->setPlainText(threeRecordSource);
        action("writeAction")->trigger();
        action("cellsAction")->trigger();
        QCOMPARE(row(0), QStringLiteral("1|Prg1 |3"));
        dialogs.shown.clear();
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
            during = actionStates();
            // Closing mid-way only stops the work; the dialog stays.
            dialog()->reject();
        });
        press("backupButton");
        QCOMPARE(during, QStringLiteral("0000"));
        QVERIFY2(status().startsWith("Копия не сохранена (ячейка ") && status().endsWith(": прервано)"),
                 qPrintable(status()));
        QVERIFY(!QFile::exists(dialogs.fileName));
        QVERIFY(dialog()->isVisible());
        QCOMPARE(actionStates(), QStringLiteral("1111"));
    }
};

QTEST_MAIN(TestDeviceCellsWindow)
#include "tst_devicecellswindow.moc"
