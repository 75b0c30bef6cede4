// Measures the editor with the syntax highlighter:
//  - opening a long program (10,000 lines by default) in the editor with the
//    highlighter against the same editor without it (the highlighter's
//    share should stay below the editor's own cost: ratio at most 2);
//  - how many blocks one typed character re-colours (highlightBlock calls),
//    in an ordinary line and in the first line of a long program.
// Usage: editor_bench [lines] [repeats]. Runs headless with
// QT_QPA_PLATFORM=offscreen. Exit status 1 when a target is missed.

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "highlight/highlighter.h"

namespace {

class CountingHighlighter : public Highlighter
{
public:
    using Highlighter::Highlighter;
    int calls = 0;

protected:
    void highlightBlock(const QString &text) override
    {
        ++calls;
        Highlighter::highlightBlock(text);
    }
};

QString program(int lines)
{
    static const char *const statements[] = {
        "Us = 100;", "if Us < M1 #%1 else #%2;", "delay_ms 500;", "M3 += -7;",
        "// a comment, Ж", "jmp #%1;", "T1 *= M2;", "not a statement", "Io -= 5;", "",
    };
    QStringList text{QStringLiteral("prgName = \"Bench\";")};
    for (int i = 1; text.size() < lines; ++i) {
        if (i % 10 == 0) {
            text << QStringLiteral("#%1;").arg(i / 10 % 100);
            continue;
        }
        text << QString::fromUtf8(statements[i % 10]).replace(QLatin1String("%1"), QString::number(i % 97))
                    .replace(QLatin1String("%2"), QString::number(i % 89));
    }
    return text.join(QLatin1Char('\n'));
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Milliseconds to put the text into a shown editor and lay it out.
double openMs(const QString &text, bool highlight)
{
    QTextEdit editor;
    editor.setFontFamily(QStringLiteral("Courier"));
    editor.resize(450, 600);
    editor.show();
    if (highlight)
        new Highlighter(editor.document());
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    editor.setPlainText(text);
    // The whole text laid out, as the scroll bar of the shown editor needs.
    editor.document()->size();
    QApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

int callsForOneCharacter(const QString &text, int blockNumber, const QString &typed)
{
    QTextEdit editor;
    editor.resize(450, 600);
    editor.show();
    auto *highlighter = new CountingHighlighter(editor.document());
    editor.setPlainText(text);
    QApplication::processEvents();
    QTextCursor cursor(editor.document()->findBlockByNumber(blockNumber));
    cursor.movePosition(QTextCursor::EndOfBlock);
    highlighter->calls = 0;
    cursor.insertText(typed);
    QApplication::processEvents();
    return highlighter->calls;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int repeats = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    const QString text = program(lines);

    std::vector<double> plain;
    std::vector<double> coloured;
    openMs(text, true); // warm up fonts and caches
    for (int i = 0; i < repeats; ++i) {
        plain.push_back(openMs(text, false));
        coloured.push_back(openMs(text, true));
    }
    const double ratio = median(coloured) / median(plain);
    std::printf("open %d lines: without highlighter %.1f ms, with highlighter %.1f ms (median of %d), "
                "ratio %.2f (target at most 2)\n",
                lines, median(plain), median(coloured), repeats, ratio);

    const int middle = callsForOneCharacter(text, lines / 2, QStringLiteral("x"));
    const int first = callsForOneCharacter(text, 0, QStringLiteral(" "));
    const int comment = callsForOneCharacter(text, lines / 2, QStringLiteral("/"));
    std::printf("one character typed: %d highlightBlock call(s) in line %d, %d in line 1, "
                "%d for a \"/\" (target 1 each)\n",
                middle, lines / 2 + 1, first, comment);
    const bool met = ratio <= 2.0 && middle == 1 && first == 1 && comment == 1;
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    std::fflush(stdout);
    return met ? 0 : 1;
}
