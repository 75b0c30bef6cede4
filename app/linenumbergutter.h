#ifndef LINENUMBERGUTTER_H
#define LINENUMBERGUTTER_H

#include <QWidget>

class QTextEdit;

// The strip left of the editor's text with the line numbers: grey, in the
// editor's font, the caret's line darker.
class LineNumberGutter : public QWidget
{
    Q_OBJECT

public:
    explicit LineNumberGutter(QTextEdit *editor);

    // As wide as the largest line number needs.
    int widthNeeded() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTextEdit *editor;
};

#endif
