#include "app/linenumbergutter.h"
#include "app/portcombobox.h"
#include "link/serialportopen.h"
#include "emulatorprocess.h"
#include "tests/transfer/transfertesthelpers.h"
#include "windowtest.h"

#include <QPushButton>
#include <QTextBlock>
#include <QToolTip>
#include <QWindow>

namespace {

const QString defaultText = QStringLiteral("prgName = \"Prg1\";\n");

QString lines(int count)
{
    return QStringLiteral("Us = 1;\n").repeated(count).chopped(1);
}

// The darkest grey level in rows top..bottom of an image.
int darkest(const QImage &image, int top, int bottom)
{
    int level = 255;
    for (int y = qMax(0, top); y <= qMin(bottom, image.height() - 1); ++y)
        for (int x = 0; x < image.width(); ++x)
            level = qMin(level, qGray(image.pixel(x, y)));
    return level;
}

} // namespace

// The window never loses the user's work and shows what went wrong: the
// question before edits go, the title, the editor's gutter and error marks,
// the compile verdict in view and the way back to its source line, the port
// list and why a port will not open.
class TestWindowSafety : public WindowTest
{
    Q_OBJECT

    PortComboBox *portBox() const { return child<PortComboBox>("portComboBox"); }
    QRect lineRect(int line) const { return editor()->cursorRect(QTextCursor(editor()->document()->findBlockByNumber(line))); }

private slots:
    void init()
    {
        QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).clear();
        startWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // The device's first cell holds a three-record program.
        state = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".state");
        QVERIFY(TransferTest::writeCell(state, 0, TransferTest::compiled(TransferTest::threeRecordSource), "Prg1 "));
    }

    void cleanup()
    {
        window.reset();
        qunsetenv("QUILLMAR_PORTS");
    }

    void askBeforeDiscarding_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("answer"); // NoButton: the text is not modified
        QTest::addColumn<bool>("saveFails");
        for (const char *entry : {"close", "new", "open", "read"}) {
            QTest::addRow("%s, unmodified", entry) << entry << int(QMessageBox::NoButton) << false;
            QTest::addRow("%s, save", entry) << entry << int(QMessageBox::Save) << false;
            QTest::addRow("%s, save fails", entry) << entry << int(QMessageBox::Save) << true;
            QTest::addRow("%s, discard", entry) << entry << int(QMessageBox::Discard) << false;
            QTest::addRow("%s, cancel", entry) << entry << int(QMessageBox::Cancel) << false;
        }
    }

    void askBeforeDiscarding()
    {
        QFETCH(QString, entry);
        QFETCH(int, answer);
        QFETCH(bool, saveFails);
        EmulatorProcess device;
        if (entry == QLatin1String("read"))
            QVERIFY(connectTo(device));
        if (answer != QMessageBox::NoButton)
            QTest::keyClicks(editor(), QStringLiteral("x"));
        const QString typed = editor()->toPlainText();
        dialogs.answer = QMessageBox::StandardButton(answer);
        // No directory "missing": a save there fails, also for root.
        dialogs.fileName = dir.filePath(saveFails ? QStringLiteral("missing/a.prgx") : QTest::currentDataTag());

        bool wentOn = false;
        if (entry == QLatin1String("close")) {
            wentOn = window->close() && !window->isVisible();
        } else if (entry == QLatin1String("new")) {
            action("newFileAction")->trigger();
            wentOn = editor()->toPlainText() == defaultText;
        } else if (entry == QLatin1String("open")) {
            action("openFileAction")->trigger();
            wentOn = !dialogs.shown.filter(QStringLiteral("open|")).isEmpty();
        } else {
            action("readAction")->trigger();
            device.stop();
            wentOn = device.requestCount() > 0;
        }
        QCOMPARE(wentOn, answer != QMessageBox::Cancel && !saveFails);
        const QString question = "question|Quillmar|Программа изменена. Сохранить изменения?|Сохранить/Не сохранять/Отмена";
        QCOMPARE(dialogs.shown.filter(QStringLiteral("question|")), answer ? QStringList(question) : QStringList());
        QCOMPARE(dialogs.shown.filter(QStringLiteral("warning|Ошибка|Не удается сохранить файл")).size(), int(saveFails));
        const bool saved = answer == QMessageBox::Save && !saveFails;
        QCOMPARE(QFile(dialogs.fileName).size(), qint64(saved ? typed.toUtf8().size() : 0));
        if (!wentOn)
            QCOMPARE(editor()->toPlainText(), typed);
    }
    void titleSaveAndCaretFollowTheText()
    {
        // The title, the modified mark and whether Save is offered.
        auto shown = [this] {
            return window->windowHandle()->title() + (window->isWindowModified() ? " m" : "")
                + (action("saveFileAction")->isEnabled() ? " s" : "");
        };
        QCOMPARE(shown(), QStringLiteral("Quillmar s"));
        QTest::keyClicks(editor(), QStringLiteral("nop;")); // goes on after the name line
        QCOMPARE(editor()->toPlainText(), defaultText + "nop;");
        QCOMPARE(shown(), QStringLiteral("Quillmar* m s"));
        const QString path = dialogs.fileName = dir.filePath(QStringLiteral("title.prgx"));
        action("saveFileAction")->trigger();
        QCOMPARE(shown(), QStringLiteral("Quillmar"));
        QTest::keyClicks(editor(), QStringLiteral("x"));
        action("openFileAction")->trigger();
        QCOMPARE(shown(), QStringLiteral("Quillmar"));

        QTest::keyClick(editor(), Qt::Key_Home);
        QTest::keyClicks(editor(), QStringLiteral("x"));
        pane()->setPlainText(QStringLiteral("old messages"));
        action("newFileAction")->trigger();
        QCOMPARE(shown(), QStringLiteral("Quillmar s"));
        QCOMPARE(editor()->textCursor().position(), defaultText.size());
        QVERIFY(pane()->toPlainText().isEmpty());
        // The file last opened is still the current one: saved over without asking.
        dialogs.shown.clear();
        action("saveFileAction")->trigger();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(readBytes(path), defaultText.toUtf8());
        EmulatorProcess device;
        QVERIFY(connectTo(device));
        QTest::keyClicks(editor(), QStringLiteral("x"));
        action("readAction")->trigger();
        QVERIFY(editor()->toPlainText().endsWith(QStringLiteral("jmp #1;")));
        QCOMPARE(editor()->textCursor().position(), editor()->toPlainText().size());
        QCOMPARE(shown(), QStringLiteral("Quillmar s"));
    }

    // The standard boxes behind the seam, answered through their own buttons.
    void standardBoxes()
    {
        QStringList seen;
        auto answerWith = [&seen](Qt::Key key) {
            QTimer::singleShot(50, [&seen, key] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (QAbstractButton *button : box->buttons())
                    seen.append(button->text());
                seen.append(box->informativeText() + QString::number(int(box->icon())));
                QTest::keyClick(box, key);
            });
        };
        Dialogs standard;
        answerWith(Qt::Key_Escape);
        const QVector<Dialogs::Button> buttons = {{QMessageBox::Save, "Сохранить"}, {QMessageBox::Cancel, "Отмена"}};
        QCOMPARE(standard.question(window.get(), "Quillmar", "?", buttons, QMessageBox::Cancel), QMessageBox::Cancel);
        answerWith(Qt::Key_Return);
        standard.critical(window.get(), "Error", "text", "cause");
        QCOMPARE(seen, QStringList({"Сохранить", "Отмена", "4", "OK", "cause3"}));
    }

    void gutterNumbersLines()
    {
        auto *gutter = editor()->findChild<LineNumberGutter *>();
        QVector<int> widths;
        for (int count : {9, 10, 100, 3}) {
            editor()->setPlainText(lines(count));
            QVERIFY(gutter->width() >= editor()->fontMetrics().horizontalAdvance(QString::number(count)));
            QCOMPARE(editor()->viewport()->x(), gutter->geometry().right() + 1); // text right of the gutter
            widths.append(gutter->width());
        }
        QVERIFY(widths[0] < widths[1] && widths[1] < widths[2] && widths[3] == widths[0]);
        // Three numbers, the caret's (line 2) darker than the others, nothing below.
        editor()->setTextCursor(QTextCursor(editor()->document()->findBlockByNumber(1)));
        const QImage image = gutter->grab().toImage();
        auto ink = [&](int line) { return darkest(image, lineRect(line).top(), lineRect(line).bottom()); };
        const int background = qGray(image.pixel(0, 0));
        QVERIFY(ink(0) < background && ink(1) < ink(0) - 40);
        QCOMPARE(darkest(image, lineRect(2).bottom() + 2, image.height()), background);
        editor()->setFont(QFont(editor()->font().family(), 30));
        QVERIFY(gutter->width() > widths[0]);
    }

    void errorMarksAndToolTips()
    {
        editor()->setPlainText(QStringLiteral("nop;\nbad;\nnop;\nworse;"));
        window->checkText();
        QStringList marked;
        for (const QTextEdit::ExtraSelection &selection : editor()->extraSelections()) {
            const QColor colour = selection.format.background().color();
            QVERIFY(colour.red() > 200 && colour.green() < colour.red() - 20 && colour.blue() < colour.red() - 20);
            QVERIFY(selection.format.boolProperty(QTextFormat::FullWidthSelection));
            marked.append(selection.cursor.selectedText());
        }
        QCOMPARE(marked, QStringList({"bad;", "worse;"}));
        auto hover = [this](int line) {
            const QPoint at = lineRect(line).center();
            QHelpEvent event(QEvent::ToolTip, at, editor()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(editor()->viewport(), &event);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(hover(0), QString());
        QCOMPARE(hover(3), QStringLiteral("error: worse;"));
        QTest::keyClick(editor(), Qt::Key_Space); // an edit takes the marks away
        QVERIFY(editor()->extraSelections().isEmpty());
        QTRY_COMPARE(hover(3), QString());
    }

    void verdictInView_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<int>("errorLine"); // 0-based editor line, -1: none
        const QString erroneous = lines(40) + "\nbad;\n" + lines(40) + "\nworse;\n" + lines(20);
        QTest::newRow("compile, errors") << "checkText" << erroneous << "error: bad;" << 40;
        QTest::newRow("compile, no error") << "checkText" << lines(80) << "OK: 80/100" << -1;
        QTest::newRow("write, errors") << "SaveLineToDevice" << erroneous << "error: bad;" << 40;
    }

    void verdictInView()
    {
        QFETCH(QString, slot);
        QFETCH(QString, source);
        QFETCH(QString, verdict);
        QFETCH(int, errorLine);
        editor()->setPlainText(source);
        QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot)));
        const QTextBlock block = pane()->document()->find(verdict).block();
        QVERIFY(block.isValid() && pane()->viewport()->rect().contains(pane()->cursorRect(QTextCursor(block))));
        QCOMPARE(editor()->textCursor().position(), 0); // the caret stays
        if (errorLine >= 0)
            QVERIFY(editor()->viewport()->rect().contains(lineRect(errorLine)));

        // A double click on a pane line shows its source line; the header has none.
        editor()->moveCursor(QTextCursor::End);
        editor()->clearFocus();
        const int last = editor()->document()->blockCount() - 1;
        const QVector<QPair<int, int>> clicks = {{0, last}, {block.blockNumber(), errorLine < 0 ? last : errorLine}, {1, 0}};
        for (const auto &click : clicks) {
            pane()->setTextCursor(QTextCursor(pane()->document()->findBlockByNumber(click.first)));
            pane()->ensureCursorVisible();
            QTest::mouseDClick(pane()->viewport(), Qt::LeftButton, Qt::NoModifier, pane()->cursorRect().center() + QPoint(2, 0));
            QVERIFY(pane()->textCursor().hasSelection()); // the pane still sees its own double click
            QCOMPARE(editor()->textCursor().blockNumber(), click.second);
        }
        QCOMPARE(editor()->textCursor().positionInBlock(), 0);
        QVERIFY(editor()->viewport()->rect().contains(editor()->cursorRect().center()));
        QTRY_VERIFY(editor()->hasFocus());
    }

    void portListFollowsAdapters()
    {
        qputenv("QUILLMAR_PORTS", " :/dev/pts/7: /dev/pts/7 :");
        QStringList plugged = {"ttyUSB0"};
        portBox()->setSystemPorts([&plugged] { return plugged; });
        portBox()->setEditText(QStringLiteral("/dev/pts/42"));
        portBox()->showPopup();
        plugged = QStringList({"ttyACM0", "/dev/pts/7"});
        portBox()->hidePopup();
        portBox()->showPopup();
        QStringList items;
        for (int i = 0; i < portBox()->count(); ++i)
            items.append(portBox()->itemText(i));
        QCOMPARE(items, QStringList({"/dev/pts/7", "ttyACM0"}));
        QCOMPARE(portBox()->currentText(), QStringLiteral("/dev/pts/42"));
    }

    // What a real port cannot show to root: a port it may not open, and Qt's
    // own "already open".
    void failureCause()
    {
        QVERIFY(portOpenFailure("nosuchport", QSerialPort::PermissionError, portDeviceAccessible("nosuchport"), "")
                    .startsWith("Нет прав доступа к порту nosuchport. В Linux добавьте пользователя в группу dialout"));
        QVERIFY(portDeviceAccessible("null")); // a bare name lives under /dev
        QCOMPARE(portOpenFailure("ttyS0", QSerialPort::OpenError, false, ""), "Порт ttyS0 занят другой программой");
    }

    void openFailureTellsCause_data()
    {
        QTest::addColumn<QString>("name"); // "held": the port the device's own end holds
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing") << "/dev/pts/99999" << "Порт /dev/pts/99999 не найден";
        QTest::newRow("none chosen") << "" << "Порт  не найден";
        QTest::newRow("busy") << "held" << "Порт %1 занят другой программой";
        QTest::newRow("not a serial port") << "/dev/null" << "Inappropriate ioctl for device"; // the system's text
    }

    void openFailureTellsCause()
    {
        QFETCH(QString, name);
        QFETCH(QString, cause);
        EmulatorProcess holder;
        if (name == QLatin1String("held")) {
            QVERIFY(holder.start());
            cause = cause.arg(name = holder.portName());
        }
        connectPort(name);
        QCOMPARE(dialogs.shown, QStringList("critical|Error|Не удается открыть порт|" + cause));
        QVERIFY(action("connectAction")->isEnabled() && !action("readAction")->isEnabled());
    }
};

QTEST_MAIN(TestWindowSafety)
#include "tst_windowsafety.moc"
