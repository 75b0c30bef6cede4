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
    QStringList shown;         // "kind|title|text[|more]" or "kind|caption|dir|filter"
    bool confirmed = true;     // what a confirmation returns
    // The answer to every question; Discard lets an action go on as it did
    // before anything was asked.
    QMessageBox::StandardButton answer = QMessageBox::Discard;

    QString getOpenFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override
    {
        note("open", caption, dir + '|' + filter);
        return fileName;
    }
    QString getSaveFileName(QWidget *, const QString &caption, const QString &dir, const QString &filter) override
    {
        note("save", caption, dir + '|' + filter);
        return fileName;
    }
    void warning(QWidget *, const QString &title, const QString &text) override { note("warning", title, text); }
    void critical(QWidget *, const QString &title, const QString &text) override { note("critical", title, text); }
    void about(QWidget *, const QString &title, const QString &text) override { note("about", title, text); }
    bool confirm(QWidget *, const QString &title, const QString &text) override
    {
        note("confirm", title, text);
        return confirmed;
    }
    void critical(QWidget *, const QString &title, const QString &text, const QString &informativeText) override
    {
        note("critical", title, text + '|' + informativeText);
    }
    QMessageBox::StandardButton question(QWidget *, const QString &title, const QString &text,
                                         const QVector<Button> &buttons, QMessageBox::StandardButton) override
    {
        QStringList texts;
        for (const Button &button : buttons)
            texts.append(button.text);
        note("question", title, text + '|' + texts.join('/'));
        return answer;
    }

private:
    void note(const char *kind, const QString &title, const QString &text)
    {
        shown.append(QStringLiteral("%1|%2|%3").arg(QLatin1String(kind), title, text));
    }
};

#endif
