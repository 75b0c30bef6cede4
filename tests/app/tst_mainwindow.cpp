#include "app/portlist.h"
#include "windowtest.h"

#include <QLabel>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>

#include <pty.h>
#include <unistd.h>

namespace {

const QString defaultText = QStringLiteral("prgName = \"Prg1\";\n");
const QString filter = QStringLiteral("|Файл программы (*.prgx)");
const QString openedIn = QStringLiteral("open|Open File|");

QString settingsPath()
{
    return QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).fileName();
}

// Each character's colour as one letter: '.' uncoloured, 'b' blue, 'm'
// magenta, 'g' dark green, 'r' red; upper case when bold.
QChar letterFor(const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return QLatin1Char('.');
    const QColor colour = format.foreground().color();
    const int known = QVector<QColor>({Qt::blue, Qt::magenta, Qt::darkGreen, Qt::red}).indexOf(colour);
    const QChar letter = QLatin1Char(known < 0 ? '?' : "bmgr"[known]);
    return format.fontWeight() == QFont::Bold ? letter.toUpper() : letter;
}

QStringList colourLines(const QTextDocument &document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line(block.length() - 1, QLatin1Char('.'));
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            for (int i = range.start; i < range.start + range.length && i < line.size(); ++i)
                line[i] = letterFor(range.format);
        lines.append(line);
    }
    return lines;
}

} // namespace

// The window's controls, enabling rules, colours, files and serial port.
class TestMainWindow : public WindowTest
{
    Q_OBJECT

    QComboBox *portBox() const { return child<QComboBox>("portComboBox"); }

    // "connected" or "disconnected" when every port control agrees, else "mixed".
    QString connectionState() const
    {
        const QString states = enabled({"connectAction", "disconnectAction", "writeAction", "readAction", "cellsAction"})
            + (portBox()->isEnabled() ? '1' : '0');
        return states == "100001" ? "disconnected" : states == "011110" ? "connected" : "mixed";
    }

    std::unique_ptr<QTemporaryDir> tmp; // fresh for each test

private slots:
    void init()
    {
        // Removed rather than cleared: some tests leave something unreadable there.
        QDir().mkpath(QFileInfo(settingsPath()).path());
        QFile::remove(settingsPath());
        QDir(settingsPath()).removeRecursively();
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
        startWindow();
    }

    void cleanup() { window.reset(); }

    void colours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("statement") << "Us = 100;" << QStringList{"bbbbbbbbb"};
        QTest::newRow("without semicolon") << "Us = 100" << QStringList{"........"};
        QTest::newRow("statement and comment") << "Us = 100; // set" << QStringList{"..........gggggg"};
        QTest::newRow("label") << "#12;" << QStringList{"mmmm"};
        QTest::newRow("program name") << "prgName = \"Prg1\";" << QStringList{QString(17, 'B')};
        QTest::newRow("name with a combining accent") << "prgName = \"e\u0301\";" << QStringList{QString(15, 'B')};
        QTest::newRow("wrong case") << "NOP;" << QStringList{"...."};
        QTest::newRow("block comment over lines")
            << "Us = 1; /* a\nUs = 2;\nend */ Uo = 3;\nUo = 4;"
            << QStringList{"........rrrr", "rrrrrrr", "rrrrrr........", "bbbbbbb"};
        QTest::newRow("slash star slash closes at once") << "/*/ x\nUs = 1;" << QStringList{"rrr..", "bbbbbbb"};
        QTest::newRow("block opened inside line comment") << "// a /* b\nUs = 1;\n*/"
                                                          << QStringList{"gggggrrrr", "rrrrrrr", "rr"};
        QTest::newRow("line comment inside block comment") << "/* a // b */ c" << QStringList{"rrrrrrrrrrrrgg"};
    }

    void colours()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        // Let the initial full pass run, so the text below is coloured the way
        // typing colours it: through the document's change notification.
        QCoreApplication::processEvents();
        editor()->setPlainText(text);
        QCOMPARE(colourLines(*editor()->document()), expected);
    }

    void startStateAndShortcuts()
    {
        QCOMPARE(editor()->toPlainText(), defaultText);
        QVERIFY(pane()->toPlainText().isEmpty() && pane()->isReadOnly());
        QCOMPARE(connectionState(), QStringLiteral("disconnected"));
        QVERIFY(action("saveFileAction")->isEnabled() && action("compileAction")->isEnabled());
        auto *slaveId = child<QSpinBox>("slaveIdSpinBox");
        QCOMPARE(QStringLiteral("%1..%2").arg(slaveId->minimum()).arg(slaveId->maximum()), QStringLiteral("0..255"));
        auto *cell = child<QComboBox>("cellComboBox");
        QCOMPARE(cell->count(), 4);

        // There is no menu: what is not on a tool bar cannot be reached.
        QList<QAction *> placed;
        for (QToolBar *bar : window->findChildren<QToolBar *>()) {
            placed += bar->actions();
            QCOMPARE(bar->iconSize(), QSize(32, 32));
        }
        for (QAction *a : window->findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(placed.contains(a) && !a->statusTip().isEmpty() && !a->icon().pixmap(32, 32).isNull(),
                     qPrintable(a->objectName()));
        QList<QWidget *> controls = {portBox(), slaveId, cell};
        for (QLabel *label : window->findChildren<QLabel *>())
            controls << label;
        for (QWidget *control : controls)
            QVERIFY2(qobject_cast<QToolBar *>(control->parentWidget()), qPrintable(control->objectName()));

        // The shortcuts reach their slots.
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(editor(), Qt::Key_F7);
        QVERIFY(pane()->toPlainText().startsWith(QStringLiteral("Компиляция:")));
        QTest::keyClick(editor(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(editor(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.shown, QStringList({openedIn + QDir::currentPath() + filter,
                                             "save|Save File|" + QDir::currentPath() + filter}));
        action("aboutAction")->trigger();
        QVERIFY(dialogs.shown.last().startsWith(QStringLiteral("about|О программе|<h2>Quillmar")));
    }

    void rememberedDirectory_data()
    {
        // What stands where the settings are kept; anything unusable counts as absent.
        QTest::addColumn<QByteArray>("settingsFile");
        QTest::addColumn<bool>("unwritable");
        QTest::newRow("nothing yet") << QByteArray() << false;
        QTest::newRow("broken variant") << QByteArray("[General]\ndirPrgFile=@Variant(\\0\\0\\0\\x7f\\0\\0)\n") << false;
        QTest::newRow("list instead of text") << QByteArray("[General]\ndirPrgFile=a, b, c\n") << false;
        QTest::newRow("a directory") << QByteArray() << true;
    }

    void rememberedDirectory()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(bool, unwritable);
        window.reset();
        QVERIFY(unwritable ? QDir().mkpath(settingsPath()) : writeBytes(settingsPath(), settingsFile));
        startWindow();
        // A cancelled dialog starts in the working directory and remembers nothing.
        action("openFileAction")->trigger();
        // A file that cannot be opened still moves the directory there.
        const QString sub = tmp->filePath(QStringLiteral("sub"));
        QVERIFY(QDir().mkdir(sub));
        dialogs.fileName = sub + QStringLiteral("/missing.prgx");
        action("openFileAction")->trigger();
        QCOMPARE(editor()->toPlainText(), defaultText);
        // So does a file that cannot be saved.
        dialogs.fileName = sub + QStringLiteral("/missing/a.prgx");
        action("saveAsAction")->trigger();
        const QString start = openedIn + QDir::currentPath() + filter;
        QCOMPARE(dialogs.shown, QStringList({start, start, "warning|Ошибка|Не удается открыть файл",
                                             "save|Save File|" + sub + filter, "warning|Ошибка|Не удается сохранить файл"}));
        // Kept across a restart, where the settings can be written.
        if (unwritable)
            return;
        startWindow();
        action("openFileAction")->trigger();
        QCOMPARE(dialogs.shown.first(), openedIn + sub + "/missing" + filter);
    }

    void openOddFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expectedStart");
        QTest::newRow("zero byte ends it") << QByteArray("nop;\n#1;\0Us = 1;\n", 17) << "nop;\n#1;";
        // Windows-1251 "Программа": every byte is invalid UTF-8.
        QTest::newRow("not UTF-8") << QByteArray("// \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0\nnop;\n")
                                   << QStringLiteral("// \uFFFD");
        QByteArray big = "prgName = \"Big\";\n";
        for (int i = 0; big.size() < 4 * 1024 * 1024; ++i)
            big += "#" + QByteArray::number(i % 100) + ";\nUs = " + QByteArray::number(i) + ";\n// Ж\n";
        QTest::newRow("megabytes of program") << big << QStringLiteral("prgName = \"Big\";");
    }

    void openOddFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expectedStart);
        window->show();
        dialogs.fileName = tmp->filePath(QStringLiteral("odd.prgx"));
        QVERIFY(writeBytes(dialogs.fileName, bytes));
        action("openFileAction")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.shown.size(), 1); // no warning
        const QString text = editor()->toPlainText();
        // Nothing follows a zero byte.
        QVERIFY(bytes.contains('\0') ? text == expectedStart : text.startsWith(expectedStart));
        action("compileAction")->trigger();
        QVERIFY(pane()->toPlainText().startsWith(QStringLiteral("Компиляция:")));
        // Closing must not hang either: it once took minutes on a big file
        // (the test's time limit catches that).
        window.reset();
    }

    void save_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fails");
        const QString cyrillic = QStringLiteral("prgName = \"Пр1\";\n// Напряжение на выходе\nUs = 120;\n/* конец */\n");
        QTest::newRow("save") << "saveFileAction" << cyrillic << false;
        QTest::newRow("save as") << "saveAsAction" << cyrillic << false;
        QTest::newRow("empty editor") << "saveFileAction" << QString() << false;
        QTest::newRow("save fails") << "saveFileAction" << cyrillic << true;
        QTest::newRow("save as fails") << "saveAsAction" << cyrillic << true;
    }

    void save()
    {
        QFETCH(QString, slot);
        QFETCH(QString, text);
        QFETCH(bool, fails);
        // The file itself can be written, but no temporary file fits beside a
        // name this long: a failure even root cannot get round.
        const QString target = tmp->filePath(fails ? QString(245, QLatin1Char('n')) + ".prgx" : "кириллица.prgx");
        const QString other = tmp->filePath(QStringLiteral("sub/other.prgx"));
        const QByteArray old = "old content";
        QVERIFY(QDir(tmp->path()).mkdir("sub") && writeBytes(target, old) && writeBytes(other, old));
        // Save writes to the file open; Save As asks, so another file is open.
        const QString current = dialogs.fileName = slot == QLatin1String("saveAsAction") ? other : target;
        action("openFileAction")->trigger();
        editor()->setPlainText(text);
        dialogs.fileName = target;
        window->findChild<QAction *>(slot)->trigger();
        QCOMPARE(action("saveFileAction")->isEnabled(), fails);
        QCOMPARE(readBytes(target), fails ? old : text.toUtf8());
        QCOMPARE(QDir(tmp->path()).entryList(QDir::Files).size(), 1); // no temporary file left
        if (fails) {
            QCOMPARE(dialogs.shown.last(), QStringLiteral("warning|Ошибка|Не удается сохранить файл"));
            // The current file is unchanged: Save goes there without asking.
            dialogs.shown.clear();
            action("saveFileAction")->trigger();
            QVERIFY(dialogs.shown.filter(QStringLiteral("save|")).isEmpty());
            QCOMPARE(readBytes(current), current == other ? text.toUtf8() : old);
            return;
        }
        action("newFileAction")->trigger();
        action("openFileAction")->trigger();
        QCOMPARE(editor()->toPlainText(), text);
        // Where the file went is where the next dialog starts.
        QCOMPARE(dialogs.shown.last(), openedIn + tmp->path() + filter);
    }

    void vanishedPeerDisconnects()
    {
        // A pseudo-terminal whose only terminal-side user is the window's port.
        char name[128] = {};
        int master = -1;
        int slave = -1;
        QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        ::close(slave);
        connectPort(QString::fromLocal8Bit(name));
        QCOMPARE(connectionState(), QStringLiteral("connected"));
        int fatalErrors = 0;
        connect(child<QSerialPort>("serialPort"), &QSerialPort::errorOccurred, this, [&fatalErrors](QSerialPort::SerialPortError error) {
            fatalErrors += error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
        });
        QSignalSpy lost(window.get(), &MainWindow::portLost);
        ::close(master);
        QTRY_COMPARE_WITH_TIMEOUT(connectionState(), QStringLiteral("disconnected"), 1000);
        // Let any further events arrive: the handler must have run once only.
        QTest::qWait(200);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(fatalErrors, 1);
        QVERIFY(dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
