#ifndef FAKEDIALOGS_H
#define FAKEDIALOGS_H

#include "app/dialogs.h"

#include <QStringList>

// Answers file dialogs from a prepared name and records every dialog and
// message box shown, so that no test ever blocks on a modal window.
class FakeDialogs : public Dialogs
{
public:
    QString fileName;          // what the next file dialog returns
    QStringList shown;         // "kind|title|text" or "kind|caption|dir|filter"
    bool answer = true;        // what a question returns

    QString getOpenFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override
    {
        shown.append(QStringLiteral("open|%1|%2|%3").arg(caption, dir, filter));
        return fileName;
    }
    QString getSaveFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override
    {
        shown.append(QStringLiteral("save|%1|%2|%3").arg(caption, dir, filter));
        return fileName;
    }
    void warning(QWidget *, const QString &title, const QString &text) override { note("warning", title, text); }
    void critical(QWidget *, const QString &title, const QString &text) override { note("critical", title, text); }
    void about(QWidget *, const QString &title, const QString &text) override { note("about", title, text); }
    bool question(QWidget *, const QString &title, const QString &text) override
    {
        note("question", title, text);
        return answer;
    }

private:
    void note(const char *kind, const QString &title, const QString &text)
    {
        shown.append(QStringLiteral("%1|%2|%3").arg(QLatin1String(kind), title, text));
    }
};

#endif
