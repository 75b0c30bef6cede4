#include "app/sourceeditor.h"

#include "app/linenumbergutter.h"

#include <QAbstractTextDocumentLayout>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

SourceEditor::SourceEditor(QWidget *parent)
    : QTextEdit(parent)
    , gutter(new LineNumberGutter(this))
{
    auto repaintGutter = [this] { gutter->update(); };
    connect(document(), &QTextDocument::blockCountChanged, this, &SourceEditor::fitGutter);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        gutter->update();
        if (!marks.isEmpty())
            markLinesInView();
    });
    connect(this, &QTextEdit::cursorPositionChanged, gutter, repaintGutter);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::update, gutter, repaintGutter);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!marks.isEmpty())
            setErrorMarks({});
    });
    fitGutter();
}

void SourceEditor::setErrorMarks(const QVector<CompileError> &errors)
{
    marks.clear();
    for (const CompileError &error : errors) {
        if (error.line < 1 || error.line > document()->blockCount())
            continue;
        marks.insert(error.line - 1, error.message);
    }
    if (!marks.isEmpty())
        scrollToShow(document()->findBlockByNumber(marks.firstKey()));
    markLinesInView();
}

void SourceEditor::markLinesInView()
{
    // Only the lines in view carry a selection: a large file with an error
    // on every line would otherwise be laid out whole at each compile.
    QList<ExtraSelection> selections;
    if (!marks.isEmpty()) {
        const int first = cursorForPosition(QPoint(0, 0)).blockNumber();
        const int last = cursorForPosition(QPoint(0, viewport()->height())).blockNumber();
        for (auto mark = marks.lowerBound(first); mark != marks.cend() && mark.key() <= last; ++mark) {
            ExtraSelection selection;
            // The whole block, so a wrapped line is marked on every screen line.
            selection.cursor = QTextCursor(document()->findBlockByNumber(mark.key()));
            selection.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            selection.format.setBackground(QColor(255, 215, 215));
            selection.format.setProperty(QTextFormat::FullWidthSelection, true);
            selections.append(selection);
        }
    }
    setExtraSelections(selections);
}

void SourceEditor::showLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    setTextCursor(QTextCursor(block));
    ensureCursorVisible();
    setFocus(Qt::OtherFocusReason);
}

void SourceEditor::scrollToShow(const QTextBlock &block)
{
    const QRectF bounds = document()->documentLayout()->blockBoundingRect(block);
    QScrollBar *bar = verticalScrollBar();
    if (bounds.top() < bar->value())
        bar->setValue(int(bounds.top()));
    else if (bounds.bottom() > bar->value() + viewport()->height())
        bar->setValue(int(bounds.bottom()) - viewport()->height());
}

void SourceEditor::fitGutter()
{
    setViewportMargins(gutter->widthNeeded(), 0, 0, 0);
    const QRect area = contentsRect();
    gutter->setGeometry(area.left(), area.top(), gutter->widthNeeded(), area.height());
}

void SourceEditor::resizeEvent(QResizeEvent *event)
{
    QTextEdit::resizeEvent(event);
    fitGutter();
    if (!marks.isEmpty())
        markLinesInView();
}

void SourceEditor::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitGutter();
}

bool SourceEditor::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QTextEdit::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QTextBlock block = cursorForPosition(help->pos()).block();
    const QRectF bounds =
        document()->documentLayout()->blockBoundingRect(block).translated(0, -verticalScrollBar()->value());
    const QString text = bounds.contains(bounds.left(), help->pos().y()) ? marks.value(block.blockNumber()) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport());
    return true;
}
