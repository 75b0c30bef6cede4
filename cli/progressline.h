#ifndef PROGRESSLINE_H
#define PROGRESSLINE_H

#include <QString>

// Progress on standard error: a bar redrawn in place when standard error is
// a terminal, otherwise one line per step, so that a log keeps each one.
class ProgressLine
{
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    // Step done of total (counting from 1), described by text.
    void show(int done, int total, const QString &text);
    // Ends a bar so that what follows starts on a line of its own.
    void finish();

private:
    bool m_terminal = false;
    bool m_drawn = false;
};

#endif
