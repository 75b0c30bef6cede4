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
    void doubleClickJumpsToSource_data();
    void doubleClickJumpsToSource();

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
    QTextCursor cursor(pane()->document()->findBlockByNumber(line));
    pane()->setTextCursor(cursor);
    pane()->ensureCursorVisible();
    QTest::mouseDClick(pane()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       pane()->cursorRect(cursor).center() + QPoint(2, 0));
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

    editor()->setTextCursor(QTextCursor(editor()->document()));
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

QTEST_MAIN(TestCompileWindow)
#include "tst_compilewindow.moc"
