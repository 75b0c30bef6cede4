#ifndef UNSAVEDCHANGES_H
#define UNSAVEDCHANGES_H

#include <QString>

#include <functional>

class Dialogs;
class QTextDocument;
class QWidget;

// The editor's edits since the last open, save, new file or download: the
// window's title carries Qt's modified marker while there are any, and
// nothing that would throw them away goes on before the user has answered
// whether to save them.
class UnsavedChanges
{
public:
    // Follows the document's modified flag; the window's present title is
    // the one shown without the marker.
    UnsavedChanges(QWidget *window, QTextDocument *document);

    // True when the caller may go on: nothing is unsaved, or the user chose
    // to discard it, or chose to save it and save() succeeded.
    bool settle(QWidget *parent, Dialogs &dialogs, const std::function<bool()> &save) const;

private:
    void showModified(bool modified);

    QWidget *window;
    QTextDocument *document;
    QString title;
};

#endif
