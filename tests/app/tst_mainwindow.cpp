#include "app/mainwindow.h"
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

#include <memory>

namespace {

const QString defaultText = QStringLiteral("prgName = \"Prg1\";\n");
const QString filter = QStringLiteral("Файл программы (*.prgx)");

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

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startState();
    void actions_data();
    void actions();
    void toolBarOrder();
    void iconsAreStoredUncompressed();
    void enablingRules();
    void aboutBox();

    void settingsLandInTestLocation();
    void rememberedDirectory();
    void failedOpenStillRemembersDirectory();
    void cancelledDialogChangesNothing();
    void openTruncatesAtZeroByte();
    void roundTrip_data();
    void roundTrip();
    void emptyEditorSavesZeroBytes();
    void newFileThenSaveOverwritesLastFile();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    QPlainTextEdit *output() const { return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit")); }
    void restartWindow();

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

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
}

void TestMainWindow::restartWindow()
{
    window.reset();
    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
}

void TestMainWindow::startState()
{
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillmar"));
    QCOMPARE(window->size(), QSize(450, 600));
    QCOMPARE(editor()->toPlainText(), defaultText);
    QCOMPARE(editor()->font().family(), QStringLiteral("Courier"));
    QVERIFY(output()->toPlainText().isEmpty());
    QVERIFY(output()->isReadOnly());
    QCOMPARE(output()->maximumHeight(), 120);
    QCOMPARE(output()->palette().color(QPalette::Inactive, QPalette::Base), QColor(Qt::white));

    auto *slaveId = window->findChild<QSpinBox *>(QStringLiteral("slaveIdSpinBox"));
    QCOMPARE(QString("%1..%2").arg(slaveId->minimum()).arg(slaveId->maximum()), QStringLiteral("0..255"));
    auto *cell = window->findChild<QComboBox *>(QStringLiteral("cellComboBox"));
    QCOMPARE(cell->count(), 4);
    QCOMPARE(cell->itemText(cell->currentIndex()), QStringLiteral(" 1"));
    QCOMPARE(cell->itemText(3), QStringLiteral(" 4"));

    QStringList labels;
    const QList<QLabel *> found = window->findChildren<QLabel *>();
    for (QLabel *label : found) {
        QVERIFY(label->font().bold());
        labels.append(label->text());
    }
    labels.sort();
    QCOMPARE(labels, QStringList({QStringLiteral("  Номер\n  порта"), QStringLiteral(" Slave ID"),
                                  QStringLiteral("Ячейка\nпамяти")}));
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("statusTip");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("connect") << "connectAction" << "Подключить" << "Подключить прибор" << QKeySequence() << true;
    QTest::newRow("disconnect") << "disconnectAction" << "Отключить" << "Отключить прибор" << QKeySequence()
                                << false;
    QTest::newRow("about") << "aboutAction" << "О программе" << "О программе" << QKeySequence() << true;
    QTest::newRow("open") << "openFileAction" << "Открыть файл" << "Открыть файл" << QKeySequence("Ctrl+O")
                          << true;
    QTest::newRow("save") << "saveFileAction" << "Сохранить файл" << "Сохранить файл" << QKeySequence("Ctrl+S")
                          << true;
    QTest::newRow("save as") << "saveAsAction" << "Сохранить как ..." << "Сохранить как ..." << QKeySequence()
                             << true;
    QTest::newRow("compile") << "compileAction" << "Скомпилировать" << "Скомпилировать" << QKeySequence("F7")
                             << true;
    QTest::newRow("write") << "writeAction" << "Записать в прибор" << "Записать в прибор" << QKeySequence()
                           << false;
    QTest::newRow("read") << "readAction" << "Считать из прибора" << "Считать из прибора" << QKeySequence()
                          << false;
    QTest::newRow("new") << "newFileAction" << "Создать файл" << "Создать файл" << QKeySequence() << true;
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QAction *a = window->findChild<QAction *>(name);
    QVERIFY(a);
    QTEST(a->text(), "text");
    QTEST(a->statusTip(), "statusTip");
    QTEST(a->shortcut(), "shortcut");
    QTEST(a->isEnabled(), "enabled");
    QVERIFY(!a->icon().isNull());
}

void TestMainWindow::toolBarOrder()
{
    auto describe = [](QToolBar *bar) {
        QStringList items;
        const QList<QAction *> actions = bar->actions();
        for (QAction *a : actions) {
            if (a->isSeparator())
                items.append(QStringLiteral("|"));
            else if (QWidget *w = bar->widgetForAction(a); w && !qobject_cast<QToolButton *>(w))
                items.append(w->objectName().isEmpty() ? QStringLiteral("label") : w->objectName());
            else
                items.append(a->objectName());
        }
        return items.join(QLatin1Char(' '));
    };
    auto *main = window->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    auto *program = window->findChild<QToolBar *>(QStringLiteral("programToolBar"));
    QCOMPARE(describe(main), QStringLiteral("connectAction disconnectAction | label portComboBox | label "
                                            "slaveIdSpinBox | | aboutAction"));
    QCOMPARE(describe(program), QStringLiteral("newFileAction openFileAction saveFileAction saveAsAction | "
                                               "compileAction writeAction readAction | label cellComboBox"));
    QCOMPARE(window->toolBarArea(program), Qt::TopToolBarArea);
    QVERIFY(window->toolBarBreak(program));
    QCOMPARE(main->iconSize(), QSize(32, 32));
    QCOMPARE(program->iconSize(), QSize(32, 32));
}

void TestMainWindow::iconsAreStoredUncompressed()
{
    const QStringList names = {"connect", "disconnect", "about", "open", "save", "SaveAs2", "root-terminal",
                               "receive", "outbox", "Actions-document-new-icon", "Actions-document-import-icon",
                               "Actions-document-export-icon", "clear", "Programming"};
    for (const QString &name : names) {
        const QString path = QStringLiteral(":/new/prefix1/rec/%1.png").arg(name);
        QResource resource(path);
        QVERIFY2(resource.isValid(), qPrintable(path));
        QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
        const QSize size = QImage(path).size();
        QVERIFY2(size == QSize(96, 96) || size == QSize(128, 128), qPrintable(path));
    }
}

void TestMainWindow::enablingRules()
{
    QAction *save = action("saveFileAction");
    const QString path = dir->filePath(QStringLiteral("rules.prgx"));
    QVERIFY(writeBytes(path, "nop;\n"));

    dialogs.fileName = path;
    action("openFileAction")->trigger();
    QVERIFY(!save->isEnabled());
    QTest::keyClick(editor(), Qt::Key_X);
    QVERIFY(save->isEnabled());
    save->trigger();
    QVERIFY(!save->isEnabled());
    action("newFileAction")->trigger();
    QVERIFY(save->isEnabled());
    QCOMPARE(editor()->toPlainText(), defaultText);

    output()->setPlainText(QStringLiteral("old messages"));
    action("newFileAction")->trigger();
    QVERIFY(output()->toPlainText().isEmpty());
}

void TestMainWindow::aboutBox()
{
    action("aboutAction")->trigger();
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(dialogs.shown.first().startsWith(QStringLiteral("about|О программе|<h2>Quillmar 1.2</h2>")));
}

void TestMainWindow::settingsLandInTestLocation()
{
    const QString path = dir->filePath(QStringLiteral("where.prgx"));
    dialogs.fileName = path;
    action("saveAsAction")->trigger();
    const QSettings settings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5"));
    const QString testConfig = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QVERIFY(testConfig.contains(QStringLiteral("qttest")));
    QVERIFY2(settings.fileName().startsWith(testConfig), qPrintable(settings.fileName()));
    QCOMPARE(settings.value(QStringLiteral("dirPrgFile")).toString(), dir->path());
}

void TestMainWindow::rememberedDirectory()
{
    const QString path = dir->filePath(QStringLiteral("a.prgx"));
    QVERIFY(writeBytes(path, "nop;\n"));
    dialogs.fileName = path;
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown.value(0), QStringLiteral("open|Open File|%1|%2").arg(QDir::currentPath(), filter));
    QCOMPARE(editor()->toPlainText(), QStringLiteral("nop;\n"));

    restartWindow();
    dialogs.shown.clear();
    dialogs.fileName.clear();
    action("saveAsAction")->trigger();
    QCOMPARE(dialogs.shown.value(0), QStringLiteral("save|Save File|%1|%2").arg(dir->path(), filter));
}

void TestMainWindow::failedOpenStillRemembersDirectory()
{
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub")));
    const QString sub = dir->filePath(QStringLiteral("sub"));
    dialogs.fileName = sub + QStringLiteral("/missing.prgx");
    QTest::keyClick(editor(), Qt::Key_X);
    const QString before = editor()->toPlainText();
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown.last(), QStringLiteral("warning|Ошибка|Не удается открыть файл"));
    QCOMPARE(editor()->toPlainText(), before);
    QVERIFY(action("saveFileAction")->isEnabled());

    dialogs.fileName.clear();
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown.last(), QStringLiteral("open|Open File|%1|%2").arg(sub, filter));
}

void TestMainWindow::cancelledDialogChangesNothing()
{
    dialogs.fileName.clear();
    action("openFileAction")->trigger();
    action("saveFileAction")->trigger();
    action("saveAsAction")->trigger();
    QCOMPARE(dialogs.shown.size(), 3);
    QCOMPARE(editor()->toPlainText(), defaultText);
    QVERIFY(action("saveFileAction")->isEnabled());
    QVERIFY(QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).allKeys().isEmpty());
}

void TestMainWindow::openTruncatesAtZeroByte()
{
    const QString path = dir->filePath(QStringLiteral("zero.prgx"));
    QVERIFY(writeBytes(path, QByteArray("nop;\n#1;", 8) + QByteArray(1, '\0') + QByteArray("Us = 1;\n")));
    dialogs.fileName = path;
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), QStringLiteral("nop;\n#1;"));
}

void TestMainWindow::roundTrip_data()
{
    QTest::addColumn<QString>("slot");
    QTest::newRow("save") << "saveFileAction";
    QTest::newRow("save as") << "saveAsAction";
}

void TestMainWindow::roundTrip()
{
    QFETCH(QString, slot);
    const QString text = QStringLiteral("prgName = \"Пр1\";\n// Напряжение на выходе\nUs = 120;\n/* конец */\n");
    const QString path = dir->filePath(QStringLiteral("кириллица.prgx"));
    editor()->setPlainText(text);
    dialogs.fileName = path;
    window->findChild<QAction *>(slot)->trigger();
    QVERIFY(!action("saveFileAction")->isEnabled());
    QCOMPARE(readBytes(path), text.toUtf8());

    action("newFileAction")->trigger();
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), text);
}

void TestMainWindow::emptyEditorSavesZeroBytes()
{
    const QString path = dir->filePath(QStringLiteral("empty.prgx"));
    QVERIFY(writeBytes(path, "old content"));
    editor()->clear();
    dialogs.fileName = path;
    action("saveFileAction")->trigger();
    QCOMPARE(QFileInfo(path).size(), 0);
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
    QTest::addColumn<bool>("nameTooLongForTemporary");

    QTest::newRow("save, long name") << "saveFileAction" << true;
    QTest::newRow("save as, long name") << "saveAsAction" << true;
    QTest::newRow("save, parent is a file") << "saveFileAction" << false;
    QTest::newRow("save as, parent is a file") << "saveAsAction" << false;
}

void TestMainWindow::failedSaveKeepsOldFile()
{
    QFETCH(QString, slot);
    QFETCH(bool, nameTooLongForTemporary);

    // The file itself can be written, but no temporary file beside it can
    // be created: even root cannot get round either case.
    QString target;
    const QByteArray old = "nop;\n#1;\njmp #1;\n";
    if (nameTooLongForTemporary) {
        target = dir->filePath(QString(245, QLatin1Char('n')) + QStringLiteral(".prgx"));
        QVERIFY(writeBytes(target, old));
    } else {
        QVERIFY(writeBytes(dir->filePath(QStringLiteral("plain")), old));
        target = dir->filePath(QStringLiteral("plain/target.prgx"));
    }
    const bool saveAs = slot == QLatin1String("saveAsAction");
    const QString previous = dir->filePath(QStringLiteral("previous.prgx"));
    QVERIFY(writeBytes(previous, "nop;\n"));
    // Save As replaces the current file name; Save writes to it, so for
    // Save the target is the file opened (or, with none, the dialog's).
    QString current;
    if (saveAs)
        current = previous;
    else if (nameTooLongForTemporary)
        current = target;
    if (!current.isEmpty()) {
        dialogs.fileName = current;
        action("openFileAction")->trigger();
    }
    QTest::keyClick(editor(), Qt::Key_X);

    dialogs.fileName = target;
    dialogs.shown.clear();
    window->findChild<QAction *>(slot)->trigger();
    QCOMPARE(dialogs.shown.value(dialogs.shown.size() - 1),
             QStringLiteral("warning|Ошибка|Не удается сохранить файл"));
    QVERIFY(action("saveFileAction")->isEnabled());
    if (nameTooLongForTemporary)
        QCOMPARE(readBytes(target), old);
    // No temporary file is left behind.
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files).size(), 2);

    // The current file name is unchanged: a plain save goes to the file
    // opened before without a dialog, or asks when there was none.
    dialogs.shown.clear();
    dialogs.fileName.clear();
    action("saveFileAction")->trigger();
    const bool asked = !dialogs.shown.filter(QRegularExpression(QStringLiteral("^save\\|"))).isEmpty();
    QCOMPARE(asked, current.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
