#include "app/linenumbergutter.h"
#include "app/mainwindow.h"

#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

QString lines(int count, const QString &line = QStringLiteral("Us = 1;"))
{
    return QStringList(QVector<QString>(count, line).toList()).join(QLatin1Char('\n'));
}

// The darkest grey level in rows top..bottom of an image.
int darkest(const QImage &image, int top, int bottom)
{
    int level = 255;
    for (int y = qMax(0, top); y <= qMin(bottom, image.height() - 1); ++y) {
        for (int x = 0; x < image.width(); ++x)
            level = qMin(level, qGray(image.pixel(x, y)));
    }
    return level;
}

// A line of the editor or pane is wholly inside its viewport.
bool inView(QAbstractScrollArea *area, const QRect &lineRect)
{
    return area->viewport()->rect().contains(lineRect);
}

} // namespace

// The editor's line numbers and error marks, and the compile verdict kept in view.
class TestEditorView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void gutterFitsTheLargestNumber();
    void gutterShowsCaretLineDarker();
    void errorMarksAndToolTips();
    void verdictInView_data();
    void verdictInView();

private:
    QTextEdit *editor() const { return window->findChild<QTextEdit *>(QStringLiteral("textEdit")); }
    QPlainTextEdit *pane() const { return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit")); }
    LineNumberGutter *gutter() const { return editor()->findChild<LineNumberGutter *>(); }
    QRect lineRect(int line) const { return editor()->cursorRect(QTextCursor(editor()->document()->findBlockByNumber(line))); }

    std::unique_ptr<MainWindow> window;
};

void TestEditorView::init()
{
    window = std::make_unique<MainWindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestEditorView::gutterFitsTheLargestNumber()
{
    QVector<int> widths;
    for (int count : {9, 10, 100, 9}) {
        editor()->setPlainText(lines(count));
        const int width = gutter()->width();
        QVERIFY(width >= editor()->fontMetrics().horizontalAdvance(QString::number(count)));
        // The text starts right of the gutter.
        QCOMPARE(editor()->viewport()->x(), gutter()->geometry().right() + 1);
        widths.append(width);
    }
    QVERIFY(widths[0] < widths[1] && widths[1] < widths[2]);
    QCOMPARE(widths[3], widths[0]);
    editor()->setFont(QFont(editor()->font().family(), 30));
    QVERIFY(gutter()->width() > widths[0]);
}

void TestEditorView::gutterShowsCaretLineDarker()
{
    editor()->setPlainText(lines(3));
    editor()->setTextCursor(QTextCursor(editor()->document()->findBlockByNumber(1)));
    const QImage image = gutter()->grab().toImage();
    const int background = qGray(image.pixel(0, 0));
    const int first = darkest(image, lineRect(0).top(), lineRect(0).bottom());
    QVERIFY(first < background);
    QVERIFY(darkest(image, lineRect(1).top(), lineRect(1).bottom()) < first - 40);
    QCOMPARE(darkest(image, lineRect(2).bottom() + 2, image.height()), background);
}

void TestEditorView::errorMarksAndToolTips()
{
    editor()->setPlainText(QStringLiteral("nop;\nbad;\nnop;\nworse;"));
    window->checkText();
    QStringList marked;
    for (const QTextEdit::ExtraSelection &selection : editor()->extraSelections()) {
        const QColor colour = selection.format.background().color();
        QVERIFY(colour.red() > 200 && colour.green() < colour.red() - 20 && colour.blue() < colour.red() - 20);
        QVERIFY(selection.format.boolProperty(QTextFormat::FullWidthSelection));
        marked.append(selection.cursor.block().text());
    }
    QCOMPARE(marked, QStringList({"bad;", "worse;"}));

    auto hover = [this](int line) {
        const QPoint at = lineRect(line).center();
        QHelpEvent event(QEvent::ToolTip, at, editor()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(editor()->viewport(), &event);
    };
    hover(0);
    QVERIFY(!QToolTip::isVisible());
    hover(3);
    QCOMPARE(QToolTip::text(), QStringLiteral("error: worse;"));
    hover(2);
    QTRY_VERIFY(!QToolTip::isVisible());

    QTest::keyClick(editor(), Qt::Key_Space);
    QVERIFY(editor()->extraSelections().isEmpty());
    hover(3);
    QVERIFY(!QToolTip::isVisible());
}

void TestEditorView::verdictInView_data()
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

void TestEditorView::verdictInView()
{
    QFETCH(QString, slot);
    QFETCH(QString, source);
    QFETCH(QString, verdict);
    QFETCH(int, errorLine);
    editor()->setPlainText(source);
    QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot)));

    QTextBlock block = pane()->document()->firstBlock();
    while (block.isValid() && block.text() != verdict)
        block = block.next();
    QVERIFY(block.isValid());
    QVERIFY(inView(pane(), pane()->cursorRect(QTextCursor(block))));
    QCOMPARE(editor()->textCursor().position(), 0);
    if (errorLine >= 0)
        QVERIFY(inView(editor(), lineRect(errorLine)));
}

QTEST_MAIN(TestEditorView)
#include "tst_editorview.moc"
