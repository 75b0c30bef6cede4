#include "app/mainwindow.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include <memory>

// Compiling from the window and jumping from the output pane back to the
// source line a message came from.
class TestCompileWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void paneShowsTheCompile();
    void doubleClickJumpsToSource_data();
    void doubleClickJumpsToSource();
    void newFileForgetsTheSourceLines();

private:
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    QPlainTextEdit *pane() const { return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit")); }
    void doubleClickPaneLine(int line);

    std::unique_ptr<MainWindow> window;
};

void TestCompileWindow::init()
{
    window = std::make_unique<MainWindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestCompileWindow::doubleClickPaneLine(int line)
{
    QTextBlock block = pane()->document()->findBlockByNumber(line);
    QVERIFY(block.isValid());
    QTextCursor cursor(block);
    pane()->setTextCursor(cursor);
    pane()->ensureCursorVisible();
    const QPoint at = pane()->cursorRect(cursor).center() + QPoint(2, 0);
    QTest::mouseDClick(pane()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void TestCompileWindow::paneShowsTheCompile()
{
    editor()->setPlainText(QStringLiteral("prgName = \"T\";\nUs = 5;\nbad;\n"));
    window->findChild<QAction *>(QStringLiteral("compileAction"))->trigger();
    QCOMPARE(pane()->toPlainText(), QStringLiteral("Компиляция:\nprgName = \"T\";\nUs = 5;\n"
                                                   ">func:1 oper:0 arg1:5 arg3:0 arg3:0 arg4:0\n"
                                                   "error: bad;\n"));
}

void TestCompileWindow::doubleClickJumpsToSource_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("paneLine");
    QTest::addColumn<int>("sourceLine"); // 0-based editor line, -1: cursor stays

    // Pane: 0 header, 1 "Us = 5;", 2 listing, 3 "jmp #9;", 4 listing,
    // 5 empty, 6 "error jmp: ..."
    const QString labels = QStringLiteral("\n// comment\nUs = 5;\n\njmp #9;\n");
    QTest::newRow("header") << labels << 0 << -1;
    QTest::newRow("echo") << labels << 1 << 2;
    QTest::newRow("listing") << labels << 4 << 4;
    QTest::newRow("empty line") << labels << 5 << -1;
    QTest::newRow("label error") << labels << 6 << 4;
    // Pane: 0 header, 1 "nop;", 2 "error: bad;"
    QTest::newRow("unrecognised") << QStringLiteral("nop;\n\n\nbad;\n") << 2 << 3;
}

void TestCompileWindow::doubleClickJumpsToSource()
{
    QFETCH(QString, source);
    QFETCH(int, paneLine);
    QFETCH(int, sourceLine);

    editor()->setPlainText(source);
    window->checkText();
    const QString before = pane()->toPlainText();

    QTextCursor start(editor()->document());
    editor()->setTextCursor(start);
    editor()->clearFocus();
    doubleClickPaneLine(paneLine);

    QCOMPARE(pane()->toPlainText(), before);
    if (sourceLine < 0) {
        QCOMPARE(editor()->textCursor().position(), 0);
    } else {
        QCOMPARE(editor()->textCursor().blockNumber(), sourceLine);
        QCOMPARE(editor()->textCursor().positionInBlock(), 0);
        QTRY_VERIFY(editor()->hasFocus());
    }
}

void TestCompileWindow::newFileForgetsTheSourceLines()
{
    editor()->setPlainText(QStringLiteral("bad;\n"));
    window->checkText();
    window->NewFile();
    pane()->setPlainText(QStringLiteral("a\nb\n"));
    editor()->setTextCursor(QTextCursor(editor()->document()));
    doubleClickPaneLine(1);
    QCOMPARE(editor()->textCursor().position(), 0);
}

QTEST_MAIN(TestCompileWindow)
#include "tst_compilewindow.moc"
