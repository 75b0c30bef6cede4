#include "highlight/highlighter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QtTest>

// Each character's colour as one letter: '.' uncoloured, 'b' blue, 'B' bold
// blue, 'm' magenta, 'g' dark green, 'r' red.
static QChar letterFor(const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return QLatin1Char('.');
    const QColor colour = format.foreground().color();
    if (colour == Qt::blue)
        return QLatin1Char(format.fontWeight() == QFont::Bold ? 'B' : 'b');
    const int known = QVector<QColor>({Qt::magenta, Qt::darkGreen, Qt::red}).indexOf(colour);
    return QLatin1Char(known < 0 ? '?' : "mgr"[known]);
}

static QStringList colourLines(const QTextDocument &document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line(block.length() - 1, QLatin1Char('.'));
        const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
        for (const QTextLayout::FormatRange &range : ranges)
            for (int i = range.start; i < range.start + range.length && i < line.size(); ++i)
                line[i] = letterFor(range.format);
        lines.append(line);
    }
    return lines;
}

class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
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
        QTextEdit editor;
        Highlighter highlighter(editor.document());
        // Let the initial full pass run, so the text below is coloured the way
        // typing colours it: through the document's change notification.
        QCoreApplication::processEvents();
        editor.setPlainText(text);
        QCOMPARE(colourLines(*editor.document()), expected);
    }
};

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
