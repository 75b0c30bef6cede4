#ifndef SOURCEFILES_H
#define SOURCEFILES_H

#include <QString>

class Dialogs;
class QSettings;
class QWidget;

// Program source files: the file dialogs, which start in the remembered
// directory (setting dirPrgFile), the file last opened or saved, reading
// and writing, and the warnings when a file cannot be opened or written.
class SourceFiles
{
public:
    SourceFiles(QWidget *parent, QSettings &settings);

    // Asks for a file and reads it into text; false when cancelled or unreadable.
    bool open(Dialogs &dialogs, QString &text);
    // Writes text to the current file, asking for one when there is none;
    // false when cancelled or not written.
    bool save(Dialogs &dialogs, const QString &text);
    // Writes text to a file the user chooses; false when cancelled or not written.
    bool saveAs(Dialogs &dialogs, const QString &text);

private:
    QString choose(Dialogs &dialogs, bool forSaving) const;
    void rememberDirectory(const QString &path);
    bool write(Dialogs &dialogs, const QString &target, const QString &text);

    QWidget *parent;
    QSettings &settings;
    // Full path of the file last opened or saved; a new file keeps it.
    QString currentFileName;
};

#endif
