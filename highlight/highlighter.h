#ifndef HIGHLIGHTER_H
#define HIGHLIGHTER_H

#include <QHash>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

#include <memory>

class QTextDocument;

// Colours whole valid statement lines, labels, the program-name line and
// comments. Because the statement patterns decide the colour, a line the
// compiler would reject stays uncoloured. It also owns the statement
// pattern table that the compiler matches lines against.
class Highlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit Highlighter(QTextDocument *parent);
    ~Highlighter() override;

    // Pattern text to StatementCode; never changed after construction.
    const QHash<QString, int> &statementPatterns() const { return *patternTable; }

protected:
    void highlightBlock(const QString &text) override;

private:
    struct Rule
    {
        QRegularExpression pattern;
        QTextCharFormat format;
    };

    std::unique_ptr<QHash<QString, int>> patternTable;
    QVector<Rule> rules;
    QRegularExpression commentStart;
    QRegularExpression commentEnd;
    QTextCharFormat multiLineCommentFormat;
};

#endif
