#include "app/outputpane.h"

#include "lang/compileresult.h"

#include <QMouseEvent>
#include <QTextBlock>

OutputPane::OutputPane(QWidget *parent)
    : QPlainTextEdit(parent)
{
    QPalette palette = this->palette();
    const QBrush white(QColor(255, 255, 255), Qt::SolidPattern);
    const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};
    const QPalette::ColorRole roles[] = {QPalette::Light,           QPalette::Base,   QPalette::Window,
                                         QPalette::HighlightedText, QPalette::NoRole, QPalette::ToolTipBase};
    for (QPalette::ColorGroup group : groups) {
        for (QPalette::ColorRole role : roles)
            palette.setBrush(group, role, white);
    }
    setPalette(palette);
}

void OutputPane::showCompile(const CompileResult &result)
{
    setPlainText(result.paneText);
    sourceLines = result.paneSourceLines;
    // Errors are in the pane in the order they were found.
    QTextBlock verdict = document()->lastBlock();
    if (!result.errors.isEmpty()) {
        const CompileError &first = result.errors.first();
        for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
            if (sourceLines.value(block.blockNumber()) == first.line && block.text() == first.message) {
                verdict = block;
                break;
            }
        }
    }
    setTextCursor(QTextCursor(verdict));
    ensureCursorVisible();
}

void OutputPane::clearMessages()
{
    clear();
    sourceLines.clear();
}

void OutputPane::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The pane still selects the word under the mouse.
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int line = sourceLines.value(cursorForPosition(event->pos()).blockNumber(), 0);
    if (line > 0)
        emit sourceLineDoubleClicked(line);
}
