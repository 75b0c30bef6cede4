#ifndef SOURCEEDITOR_H
#define SOURCEEDITOR_H

#include "lang/compileerror.h"

#include <QMap>
#include <QTextEdit>
#include <QVector>

class LineNumberGutter;
class QTextBlock;

// The source editor: line numbers in a gutter left of the text, and the
// lines the last compile found wrong marked in light red, each with its
// message as tool tip, until the next edit or compile.
class SourceEditor : public QTextEdit
{
    Q_OBJECT

public:
    explicit SourceEditor(QWidget *parent = nullptr);

    // Marks the (1-based) line of every error (one message per line; the
    // compiler reports no more) and brings the first marked
    // line into view; the caret does not move. An empty list removes the marks.
    void setErrorMarks(const QVector<CompileError> &errors);
    // Puts the caret at the start of a 1-based line, in view, and takes the focus.
    void showLine(int line);
    LineNumberGutter *lineNumberGutter() const { return gutter; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void fitGutter();
    void markLinesInView();
    void scrollToShow(const QTextBlock &block);

    LineNumberGutter *gutter;
    QMap<int, QString> marks;  // 0-based line -> its message
};

#endif
