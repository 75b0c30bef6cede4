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
    bool confirmed = true;     // what a confirmation returns
    // The answer to every question; Discard lets an action go on as it did
    // before anything was asked.
    QMessageBox::StandardButton answer = QMessageBox::Discard;
    QStringList buttonTexts;   // of the last question, in order
    QStringList informative;   // informative texts of critical boxes

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
    bool confirm(QWidget *, const QString &title, const QString &text) override
    {
        note("confirm", title, text);
        return confirmed;
    }
    void critical(QWidget *, const QString &title, const QString &text, const QString &informativeText) override
    {
        note("critical", title, text);
        informative.append(informativeText);
    }
    QMessageBox::StandardButton question(QWidget *, const QString &title, const QString &text,
                                         const QVector<Button> &buttons, QMessageBox::StandardButton) override
    {
        note("question", title, text);
        buttonTexts.clear();
        for (const Button &button : buttons)
            buttonTexts.append(button.text);
        return answer;
    }

private:
    void note(const char *kind, const QString &title, const QString &text)
    {
        shown.append(QStringLiteral("%1|%2|%3").arg(QLatin1String(kind), title, text));
    }
};

#endif
