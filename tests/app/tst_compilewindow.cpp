#include "app/mainwindow.h"

#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

// Jumping from a line of the compile output back to the source line it
// came from.
class TestCompileWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void doubleClickJumpsToSource_data()
    {
        QTest::addColumn<int>("paneLine");
        QTest::addColumn<int>("sourceLine"); // 0-based editor line, -1: the caret stays
        // Pane: 0 header, 1 "Us = 5;", 2 listing, 3 "jmp #9;", 4 listing, 5 empty, 6 "error jmp: ..."
        QTest::newRow("header") << 0 << -1;
        QTest::newRow("first line") << 1 << 0;
        QTest::newRow("error far down") << 6 << 200;
    }

    void doubleClickJumpsToSource()
    {
        QFETCH(int, paneLine);
        QFETCH(int, sourceLine);
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *editor = window.findChild<QTextEdit *>(QStringLiteral("textEdit"));
        auto *pane = window.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
        // The jump target lies below the visible part of the editor.
        editor->setPlainText(QStringLiteral("Us = 5;") + QString(200, QLatin1Char('\n')) + QStringLiteral("jmp #9;\n"));
        window.checkText();
        const QString before = pane->toPlainText();
        editor->moveCursor(QTextCursor::End);
        editor->clearFocus();

        const QTextCursor line(pane->document()->findBlockByNumber(paneLine));
        pane->setTextCursor(line);
        pane->ensureCursorVisible();
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, pane->cursorRect(line).center() + QPoint(2, 0));

        QCOMPARE(pane->toPlainText(), before);
        QVERIFY(pane->textCursor().hasSelection()); // the pane still sees its own double click
        if (sourceLine < 0) {
            QVERIFY(editor->textCursor().atEnd());
        } else {
            QCOMPARE(editor->textCursor().blockNumber(), sourceLine);
            QCOMPARE(editor->textCursor().positionInBlock(), 0);
            QVERIFY(editor->viewport()->rect().contains(editor->cursorRect().center()));
            QTRY_VERIFY(editor->hasFocus());
        }
    }
};

QTEST_MAIN(TestCompileWindow)
#include "tst_compilewindow.moc"
