#include "app/mainwindow.h"
#include "emulatorprocess.h"
#include "fakedialogs.h"
#include "tests/transfer/transfertesthelpers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

const QString defaultText = QStringLiteral("prgName = \"Prg1\";\n");
const QString question = QStringLiteral("question|Quillmar|Программа изменена. Сохранить изменения?");

} // namespace

// Edited text is never thrown away without asking, and the title shows it.
class TestUnsavedWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { window.reset(); }
    void askBeforeDiscarding_data();
    void askBeforeDiscarding();
    void titleAndCaretFollowTheText();
    void saveRemembersDirectory_data();
    void saveRemembersDirectory();
    void standardBoxes();

private:
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    bool connectTo(EmulatorProcess &device);

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    QTemporaryDir dir;
    QString state;
};

void TestUnsavedWork::init()
{
    QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).clear();
    dialogs = FakeDialogs();
    window = std::make_unique<MainWindow>();
    window->setDialogs(&dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The device's cell 1 holds a three-record program.
    state = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".state");
    QVERIFY(TransferTest::writeCell(state, 0, TransferTest::compiled(TransferTest::threeRecordSource), "Prg1 "));
}

bool TestUnsavedWork::connectTo(EmulatorProcess &device)
{
    if (!device.start({"--state", state}, false))
        return false;
    window->findChild<QComboBox *>(QStringLiteral("portComboBox"))->setEditText(device.portName());
    action("connectAction")->trigger();
    return action("readAction")->isEnabled();
}

void TestUnsavedWork::askBeforeDiscarding_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("answer"); // NoButton: the text is not modified
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("goesOn");
    for (const char *entry : {"close", "new", "open", "read"}) {
        QTest::addRow("%s, unmodified", entry) << entry << int(QMessageBox::NoButton) << false << true;
        QTest::addRow("%s, save", entry) << entry << int(QMessageBox::Save) << false << true;
        QTest::addRow("%s, save fails", entry) << entry << int(QMessageBox::Save) << true << false;
        QTest::addRow("%s, discard", entry) << entry << int(QMessageBox::Discard) << false << true;
        QTest::addRow("%s, cancel", entry) << entry << int(QMessageBox::Cancel) << false << false;
    }
}

void TestUnsavedWork::askBeforeDiscarding()
{
    QFETCH(QString, entry);
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    std::unique_ptr<EmulatorProcess> device;
    if (entry == QLatin1String("read")) {
        device = std::make_unique<EmulatorProcess>();
        QVERIFY(connectTo(*device));
    }
    if (answer != QMessageBox::NoButton)
        QTest::keyClicks(editor(), QStringLiteral("x"));
    const QString typed = editor()->toPlainText();
    dialogs.answer = QMessageBox::StandardButton(answer);
    // No directory "missing": a save there fails, also for root.
    dialogs.fileName = dir.filePath(saveFails ? QStringLiteral("missing/a.prgx") : QTest::currentDataTag());

    bool wentOn = false;
    if (entry == QLatin1String("close")) {
        wentOn = window->close();
        QCOMPARE(window->isVisible(), !wentOn);
    } else if (entry == QLatin1String("new")) {
        action("newFileAction")->trigger();
        wentOn = editor()->toPlainText() == defaultText;
    } else if (entry == QLatin1String("open")) {
        action("openFileAction")->trigger();
        wentOn = !dialogs.shown.filter(QStringLiteral("open|")).isEmpty();
    } else {
        action("readAction")->trigger();
        device->stop();
        wentOn = device->requestCount() > 0;
    }
    QTEST(wentOn, "goesOn");
    QCOMPARE(dialogs.shown.filter(QStringLiteral("question|")), answer ? QStringList(question) : QStringList());
    if (answer)
        QCOMPARE(dialogs.buttonTexts, QStringList({"Сохранить", "Не сохранять", "Отмена"}));
    if (answer == QMessageBox::Save)
        QCOMPARE(dialogs.shown.filter(QStringLiteral("warning|Ошибка|Не удается сохранить файл")).size(),
                 saveFails ? 1 : 0);
    if (answer == QMessageBox::Save && !saveFails)
        QCOMPARE(QFile(dialogs.fileName).size(), typed.toUtf8().size());
    if (!wentOn)
        QCOMPARE(editor()->toPlainText(), typed);
}

void TestUnsavedWork::titleAndCaretFollowTheText()
{
    auto shown = [this] { return window->windowHandle()->title() + (window->isWindowModified() ? " m" : ""); };
    QCOMPARE(shown(), QStringLiteral("Quillmar"));
    // Typing goes on after the name line.
    QCOMPARE(editor()->textCursor().position(), defaultText.size());
    QTest::keyClicks(editor(), QStringLiteral("nop;"));
    QCOMPARE(editor()->toPlainText(), defaultText + "nop;");
    QCOMPARE(shown(), QStringLiteral("Quillmar* m"));
    dialogs.fileName = dir.filePath(QStringLiteral("title.prgx"));
    action("saveFileAction")->trigger();
    QCOMPARE(shown(), QStringLiteral("Quillmar"));

    QTest::keyClick(editor(), Qt::Key_Home);
    QTest::keyClicks(editor(), QStringLiteral("x"));
    action("newFileAction")->trigger();
    QCOMPARE(shown(), QStringLiteral("Quillmar"));
    QCOMPARE(editor()->textCursor().position(), defaultText.size());

    EmulatorProcess device;
    QVERIFY(connectTo(device));
    QTest::keyClicks(editor(), QStringLiteral("x"));
    action("readAction")->trigger();
    QVERIFY(editor()->toPlainText().endsWith(QStringLiteral("jmp #1;")));
    QCOMPARE(editor()->textCursor().position(), editor()->toPlainText().size());
    QCOMPARE(shown(), QStringLiteral("Quillmar"));
}

void TestUnsavedWork::saveRemembersDirectory_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("written") << QStringLiteral("sub/a.prgx");
    QTest::newRow("not written") << QStringLiteral("sub/missing/a.prgx");
}

void TestUnsavedWork::saveRemembersDirectory()
{
    QFETCH(QString, target);
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
    dialogs.fileName = dir.filePath(target);
    action("saveAsAction")->trigger();
    QCOMPARE(QSettings(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5")).value("dirPrgFile").toString(),
             QFileInfo(dialogs.fileName).path());
}

// The standard boxes behind the seam, answered through their own buttons.
void TestUnsavedWork::standardBoxes()
{
    QStringList seen;
    auto answerWith = [&seen](int key) {
        QTimer::singleShot(50, [&seen, key] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *button : box->buttons())
                seen.append(button->text());
            seen.append(box->informativeText() + QString::number(int(box->icon())));
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->buttons().constFirst()->click();
        });
    };
    Dialogs standard;
    const QVector<Dialogs::Button> buttons = {{QMessageBox::Save, "Сохранить"}, {QMessageBox::Cancel, "Отмена"}};
    answerWith(Qt::Key_Escape);
    QCOMPARE(standard.question(window.get(), "Quillmar", "?", buttons, QMessageBox::Cancel), QMessageBox::Cancel);
    answerWith(0);
    standard.critical(window.get(), "Error", "text", "cause");
    QCOMPARE(seen, QStringList({"Сохранить", "Отмена", "4", "OK", "cause3"}));
}

QTEST_MAIN(TestUnsavedWork)
#include "tst_unsavedwork.moc"
