#include "sourcefile.h"

#include <QFile>

#include "lang/sourcetext.h"

bool readSourceFile(const QString &path, QString &text, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return false;
    }
    text = editorPlainText(sourceFromFileBytes(bytes));
    return true;
}
