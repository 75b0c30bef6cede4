#include "app/sourcefiles.h"

#include "app/dialogs.h"
#include "lang/sourcetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace {

const QString dirPrgFileKey = QStringLiteral("dirPrgFile");

QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace

SourceFiles::SourceFiles(QWidget *parent, QSettings &settings)
    : parent(parent)
    , settings(settings)
{
}

QString SourceFiles::choose(Dialogs &dialogs, bool forSaving) const
{
    QString dir = settings.value(dirPrgFileKey).toString();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    const QString filter = tr("Файл программы (*.prgx)");
    return forSaving ? dialogs.getSaveFileName(parent, tr("Save File"), dir, filter)
                     : dialogs.getOpenFileName(parent, tr("Open File"), dir, filter);
}

void SourceFiles::rememberDirectory(const QString &path)
{
    // Before the file is opened: kept even when it then fails.
    settings.setValue(dirPrgFileKey, QFileInfo(path).path());
}

bool SourceFiles::open(Dialogs &dialogs, QString &text)
{
    const QString path = choose(dialogs, false);
    if (path.isEmpty())
        return false;
    rememberDirectory(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs.warning(parent, tr("Ошибка"), tr("Не удается открыть файл"));
        return false;
    }
    text = sourceFromFileBytes(file.readAll());
    currentFileName = path;
    return true;
}

bool SourceFiles::save(Dialogs &dialogs, const QString &text)
{
    const QString target = currentFileName.isEmpty() ? choose(dialogs, true) : currentFileName;
    return !target.isEmpty() && write(dialogs, target, text);
}

bool SourceFiles::saveAs(Dialogs &dialogs, const QString &text)
{
    const QString target = choose(dialogs, true);
    return !target.isEmpty() && write(dialogs, target, text);
}

bool SourceFiles::write(Dialogs &dialogs, const QString &target, const QString &text)
{
    rememberDirectory(target);
    // Written to a temporary file that replaces the target only when every
    // byte is on disk: a failed save leaves the previous file as it was.
    QSaveFile file(target);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved) {
        file.write(text.toUtf8());
        saved = file.commit();
    }
    if (!saved) {
        dialogs.warning(parent, tr("Ошибка"), tr("Не удается сохранить файл"));
        return false;
    }
    currentFileName = target;
    return true;
}
