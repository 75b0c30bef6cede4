#include "highlight/highlighter.h"

#include "lang/languagetables.h"
#include "lang/statementcode.h"

#include <QColor>
#include <QFont>

#include <utility>

namespace {

enum BlockState { OutsideComment = 0, InsideComment = 1 };

QTextCharFormat foreground(const QColor &colour, int weight = QFont::Normal)
{
    QTextCharFormat format;
    format.setForeground(colour);
    if (weight != QFont::Normal)
        format.setFontWeight(weight);
    return format;
}

} // namespace

Highlighter::Highlighter(QTextDocument *parent)
    : QSyntaxHighlighter(parent)
    , patternTable(std::make_unique<QHash<QString, int>>(makeStatementPatterns()))
{
    const QTextCharFormat statementFormat = foreground(Qt::blue);
    for (auto it = patternTable->cbegin(); it != patternTable->cend(); ++it)
        rules.append({languageExpression(it.key()), statementFormat});

    rules.append({languageExpression(patternTable->key(Label)), foreground(Qt::magenta)});
    rules.append({languageExpression(QStringLiteral("//[^\n]*")), foreground(Qt::darkGreen)});
    // The program-name line again, in bold, over the plain statement colour.
    rules.append({languageExpression(patternTable->key(PrgName)), foreground(Qt::blue, QFont::Bold)});

    multiLineCommentFormat = foreground(Qt::red);
    commentStart = languageExpression(QStringLiteral("/\\*"));
    commentEnd = languageExpression(QStringLiteral("\\*/"));
}

Highlighter::~Highlighter() = default;

void Highlighter::highlightBlock(const QString &text)
{
    for (const Rule &rule : std::as_const(rules)) {
        QRegularExpressionMatch match = rule.pattern.match(text);
        while (match.hasMatch()) {
            const int start = match.capturedStart();
            const int length = match.capturedLength();
            setFormat(start, length, rule.format);
            // An empty match would find itself again forever.
            const int next = start + qMax(length, 1);
            if (next > text.size())
                break;
            match = rule.pattern.match(text, next);
        }
    }

    setCurrentBlockState(OutsideComment);

    int start = 0;
    if (previousBlockState() != InsideComment) {
        const QRegularExpressionMatch open = commentStart.match(text);
        if (!open.hasMatch())
            return;
        start = open.capturedStart();
    }
    for (;;) {
        // The search for the end starts at the opening itself, so "/*/"
        // opens and closes a comment.
        const QRegularExpressionMatch close = commentEnd.match(text, start);
        int length;
        if (close.hasMatch()) {
            length = close.capturedEnd() - start;
        } else {
            setCurrentBlockState(InsideComment);
            length = text.size() - start;
        }
        setFormat(start, length, multiLineCommentFormat);
        const QRegularExpressionMatch open = commentStart.match(text, start + length);
        if (!open.hasMatch())
            break;
        start = open.capturedStart();
    }
}
