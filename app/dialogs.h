#ifndef DIALOGS_H
#define DIALOGS_H

#include <QMessageBox>
#include <QString>
#include <QVector>

class QWidget;

// Every modal dialog and message box the window shows goes through here,
// so that tests can answer them without blocking. The default shows the
// platform's standard dialogs.
class Dialogs
{
public:
    // A standard button of a question box, shown with the window's own text.
    struct Button
    {
        QMessageBox::StandardButton button;
        QString text;
    };

    virtual ~Dialogs() = default;

    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter);
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter);
    virtual void warning(QWidget *parent, const QString &title, const QString &text);
    virtual void critical(QWidget *parent, const QString &title, const QString &text);
    // A critical box whose informative text tells the cause.
    virtual void critical(QWidget *parent, const QString &title, const QString &text,
                          const QString &informativeText);
    virtual void about(QWidget *parent, const QString &title, const QString &text);
    // A yes/no confirmation; true for yes. No is the default button.
    virtual bool confirm(QWidget *parent, const QString &title, const QString &text);
    // A question box with these buttons, in this order; returns the one
    // chosen. Escape or closing the box chooses escapeButton.
    virtual QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                                 const QVector<Button> &buttons,
                                                 QMessageBox::StandardButton escapeButton);
};

#endif
