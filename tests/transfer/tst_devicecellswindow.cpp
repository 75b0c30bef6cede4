#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

#include "app/devicecellsdialog.h"
#include "app/mainwindow.h"
#include "emulatorprocess.h"
#include "tests/app/fakedialogs.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

// "Ячейки прибора" in the window, its buttons pressed against the emulated
// device, every file dialog and question answered through FakeDialogs.
class TestDeviceCellsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { window.reset(); }
    void tableBackupRestoreRead();
    void stopDuringBackup();

private:
    bool openDialog(EmulatorProcess &device, const QStringList &extra = QStringList());
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    DeviceCellsDialog *dialog() const { return window->findChild<DeviceCellsDialog *>(); }
    void press(const char *button) const { dialog()->findChild<QPushButton *>(QLatin1String(button))->click(); }
    QString status() const { return dialog()->findChild<QLabel *>("statusLabel")->text(); }
    QString row(int cell) const;
    // "1" or "0" for compile, write, read and the cells action.
    QString actionStates() const;

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    QTemporaryDir dir;
    QString state;
};

void TestDeviceCellsWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void TestDeviceCellsWindow::init()
{
    window = std::make_unique<MainWindow>();
    dialogs = FakeDialogs();
    window->setDialogs(&dialogs);
    state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
    QVERIFY(writeCell(state, 0, compiled(exampleSource), "Test "));
}

bool TestDeviceCellsWindow::openDialog(EmulatorProcess &device, const QStringList &extra)
{
    if (!device.start(QStringList{"--state", state} + extra, false))
        return false;
    window->findChild<QComboBox *>("portComboBox")->setEditText(device.portName());
    action("connectAction")->trigger();
    action("cellsAction")->trigger();
    return dialog() && dialog()->isVisible();
}

QString TestDeviceCellsWindow::row(int cell) const
{
    auto *table = dialog()->findChild<QTableWidget *>("cellTable");
    return table->item(cell, 0)->text() + '|' + table->item(cell, 1)->text() + '|' + table->item(cell, 2)->text();
}

QString TestDeviceCellsWindow::actionStates() const
{
    QString states;
    for (const char *name : {"compileAction", "writeAction", "readAction", "cellsAction"})
        states += action(name)->isEnabled() ? '1' : '0';
    return states;
}

void TestDeviceCellsWindow::tableBackupRestoreRead()
{
    EmulatorProcess device;
    QVERIFY(openDialog(device));
    QCOMPARE(row(0), QStringLiteral("1|Test |6"));
    QCOMPARE(row(3), QStringLiteral("4|     |0"));
    QCOMPARE(dialog()->findChild<QTableWidget *>("cellTable")->columnCount(), 3);
    QCOMPARE(actionStates(), QStringLiteral("1111"));

    // A refused copy is reported and sends nothing.
    dialogs.fileName = dir.filePath("bad.qmbackup");
    QFile bad(dialogs.fileName);
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("{\"format\": \"other\"}") > 0);
    bad.close();
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
    window->findChild<QTextEdit *>("textEdit")->setPlainText(threeRecordSource);
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
    window->findChild<QComboBox *>("cellComboBox")->setCurrentIndex(2);
    dialog()->findChild<QTableWidget *>("cellTable")->selectRow(0);
    press("readButton");
    QTRY_COMPARE(window->findChild<QTextEdit *>("textEdit")->toPlainText(), exampleSource);
    QVERIFY(!dialog());
    QCOMPARE(window->findChild<QComboBox *>("cellComboBox")->currentIndex(), 0);
    QVERIFY(window->findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText().endsWith(
        "Данные успешно считаны и декодированы"));
}

void TestDeviceCellsWindow::stopDuringBackup()
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

QTEST_MAIN(TestDeviceCellsWindow)
#include "tst_devicecellswindow.moc"
