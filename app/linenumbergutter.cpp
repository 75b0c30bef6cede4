#include "app/linenumbergutter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>

namespace {

const int padding = 4;  // on each side of the numbers

} // namespace

LineNumberGutter::LineNumberGutter(QTextEdit *editor)
    : QWidget(editor)
    , editor(editor)
{
}

int LineNumberGutter::widthNeeded() const
{
    const int digits = QString::number(editor->document()->blockCount()).size();
    return 2 * padding + digits * editor->fontMetrics().horizontalAdvance(QLatin1Char('9'));
}

void LineNumberGutter::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(240, 240, 240));
    painter.setFont(editor->font());
    const int caretLine = editor->textCursor().blockNumber();
    const int scrolled = editor->verticalScrollBar()->value();
    QAbstractTextDocumentLayout *layout = editor->document()->documentLayout();
    // From the first line in view down to the last one.
    for (QTextBlock block = editor->cursorForPosition(QPoint(0, 0)).block(); block.isValid();
         block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block).translated(0, -scrolled);
        if (bounds.top() > height())
            break;
        if (!block.isVisible() || block.layout()->lineCount() == 0)
            continue;
        const QRectF firstLine(0, bounds.top() + block.layout()->lineAt(0).y(), width() - padding,
                               block.layout()->lineAt(0).height());
        painter.setPen(block.blockNumber() == caretLine ? QColor(40, 40, 40) : QColor(150, 150, 150));
        painter.drawText(firstLine, Qt::AlignRight | Qt::AlignVCenter, QString::number(block.blockNumber() + 1));
    }
}
