#ifndef OUTPUTPANE_H
#define OUTPUTPANE_H

#include <QPlainTextEdit>
#include <QVector>

struct CompileResult;

// The output pane for compile and transfer messages. After a compile it
// knows the source line each message came from, so that a double click on
// a message leads to its line.
class OutputPane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit OutputPane(QWidget *parent = nullptr);

    // Shows a compile's messages and scrolls to its verdict: the first
    // error, or with none the last line.
    void showCompile(const CompileResult &result);
    // Empties the pane; what follows (transfer lines) comes from no source line.
    void clearMessages();

signals:
    // A message of the last compile was double-clicked; line is 1-based.
    void sourceLineDoubleClicked(int line);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Per pane line, the 1-based source line it came from (0: none).
    QVector<int> sourceLines;
};

#endif
