#include "app/unsavedchanges.h"

#include "app/dialogs.h"

#include <QCoreApplication>
#include <QTextDocument>
#include <QWidget>

UnsavedChanges::UnsavedChanges(QWidget *window, QTextDocument *document)
    : window(window)
    , document(document)
    , title(window->windowTitle())
{
    QObject::connect(document, &QTextDocument::modificationChanged, window,
                     [this](bool modified) { showModified(modified); });
    showModified(document->isModified());
}

void UnsavedChanges::showModified(bool modified)
{
    // The placeholder is only in the title while it is needed, so that an
    // unmodified window's title is exactly its name.
    if (modified) {
        window->setWindowTitle(title + QStringLiteral("[*]"));
        window->setWindowModified(true);
    } else {
        window->setWindowModified(false);
        window->setWindowTitle(title);
    }
}

bool UnsavedChanges::settle(QWidget *parent, Dialogs &dialogs, const std::function<bool()> &save) const
{
    if (!document->isModified())
        return true;
    auto tr = [](const char *text) { return QCoreApplication::translate("MainWindow", text); };
    const QMessageBox::StandardButton answer =
        dialogs.question(parent, tr("Quillmar"), tr("Программа изменена. Сохранить изменения?"),
                         {{QMessageBox::Save, tr("Сохранить")},
                          {QMessageBox::Discard, tr("Не сохранять")},
                          {QMessageBox::Cancel, tr("Отмена")}},
                         QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}
