#ifndef DIALOGS_H
#define DIALOGS_H

#include <QString>

class QWidget;

// Every modal dialog and message box the window shows goes through here,
// so that tests can answer them without blocking. The default shows the
// platform's standard dialogs.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter);
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter);
    virtual void warning(QWidget *parent, const QString &title, const QString &text);
    virtual void critical(QWidget *parent, const QString &title, const QString &text);
    virtual void about(QWidget *parent, const QString &title, const QString &text);
    // A yes/no question; true for yes. No is the default button.
    virtual bool question(QWidget *parent, const QString &title, const QString &text);
};

#endif
