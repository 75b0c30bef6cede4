#include "app/mainwindow.h"
#include "fakedialogs.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

const QString filter = QStringLiteral("Файл программы (*.prgx)");

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

QByteArray bigProgram(int megabytes)
{
    QByteArray text = "prgName = \"Big\";\n";
    for (int i = 0; text.size() < megabytes * 1024 * 1024; ++i)
        text += "#" + QByteArray::number(i % 100) + ";\nUs = " + QByteArray::number(i) + ";\n// Ж\n";
    return text;
}

QString settingsPath()
{
    return QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).fileName();
}

} // namespace

// Files that are not what the window expects: it must never crash or hang,
// and whatever it cannot use counts as absent.
class TestBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void openBadFile_data();
    void openBadFile();
    void badSettingsFallBack_data();
    void badSettingsFallBack();

private:
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    QPlainTextEdit *output() const { return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit")); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    QTemporaryDir dir;
};

void TestBadFiles::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void TestBadFiles::init()
{
    QDir().mkpath(QFileInfo(settingsPath()).path());
    QFile::remove(settingsPath());
    QDir(settingsPath()).removeRecursively();
    dialogs = FakeDialogs();
}

void TestBadFiles::cleanup()
{
    window.reset();
    QDir(settingsPath()).removeRecursively();
    QFile::remove(settingsPath());
}

void TestBadFiles::openBadFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expectedStart");
    QTest::addColumn<int>("expectedLength");

    // Windows-1251 "Программа": every byte is invalid UTF-8.
    QTest::newRow("not UTF-8") << QByteArray("// \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0\nnop;\n")
                               << QStringLiteral("// \uFFFD") << -1;
    QTest::newRow("random bytes") << QByteArray(randomBytes(256 * 1024, 11)).replace('\0', '\x01')
                                  << QString() << -1;
    QTest::newRow("zero bytes only") << QByteArray(64 * 1024, '\0') << QString() << 0;
    QTest::newRow("several megabytes of program") << bigProgram(4) << QStringLiteral("prgName = \"Big\";") << -1;
    QTest::newRow("several megabytes of random bytes") << QByteArray(randomBytes(4 * 1024 * 1024, 12)).replace('\0', ' ')
                                                       << QString() << -1;
}

void TestBadFiles::openBadFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expectedStart);
    QFETCH(int, expectedLength);

    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
    window->show();
    const QString path = dir.filePath(QStringLiteral("bad.prgx"));
    QVERIFY(writeBytes(path, bytes));
    dialogs.fileName = path;
    action("openFileAction")->trigger();
    QCoreApplication::processEvents();

    QVERIFY2(dialogs.shown.size() == 1, qPrintable(dialogs.shown.join('\n')));
    const QString text = editor()->toPlainText();
    QVERIFY(text.startsWith(expectedStart));
    if (expectedLength >= 0)
        QCOMPARE(text.size(), expectedLength);
    else
        QVERIFY(text.size() > 0);

    // The window goes on working with what it got.
    action("compileAction")->trigger();
    QVERIFY(output()->toPlainText().startsWith(QStringLiteral("Компиляция:")));
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText(QStringLiteral("\nnop;"));
    QVERIFY(editor()->toPlainText().endsWith(QStringLiteral("nop;")));

    // Closing must not hang either (it once took minutes on a big file;
    // the test's time limit catches that).
    QElapsedTimer clock;
    clock.start();
    window.reset();
    qInfo("window closed in %lld ms", clock.elapsed());
}

void TestBadFiles::badSettingsFallBack_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("asDirectory");

    QTest::newRow("random bytes") << randomBytes(4096, 13) << false;
    QTest::newRow("zero bytes") << QByteArray(100, '\0') << false;
    QTest::newRow("broken variant") << QByteArray("[General]\ndirPrgFile=@Variant(\\0\\0\\0\\x7f\\0\\0)\n") << false;
    QTest::newRow("list instead of text") << QByteArray("[General]\ndirPrgFile=a, b, c\n") << false;
    QTest::newRow("unreadable: a directory in its place") << QByteArray() << true;
}

void TestBadFiles::badSettingsFallBack()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asDirectory);
    if (asDirectory)
        QVERIFY(QDir().mkpath(settingsPath()));
    else
        QVERIFY(writeBytes(settingsPath(), content));

    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown.value(0), QStringLiteral("open|Open File|%1|%2").arg(QDir::currentPath(), filter));

    // Choosing a file still works and is remembered where it can be.
    const QString path = dir.filePath(QStringLiteral("good.prgx"));
    QVERIFY(writeBytes(path, "nop;\n"));
    dialogs.fileName = path;
    action("openFileAction")->trigger();
    QCOMPARE(editor()->toPlainText(), QStringLiteral("nop;\n"));
    dialogs.fileName.clear();
    action("openFileAction")->trigger();
    QCOMPARE(dialogs.shown.last(), QStringLiteral("open|Open File|%1|%2").arg(dir.path(), filter));
}

QTEST_MAIN(TestBadFiles)
#include "tst_badfiles.moc"
