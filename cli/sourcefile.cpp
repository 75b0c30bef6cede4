#include "sourcefile.h"

#include <QFile>

#include "cli/outputstream.h"
#include "lang/compiler.h"
#include "lang/sourcetext.h"

bool readSourceFile(const char *command, const QString &path, QString &text)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        OutputStream(stderr).writeLine(QStringLiteral("quillmar-cli %1: %2: cannot read: %3")
                                           .arg(QLatin1String(command), path, file.errorString()));
        return false;
    }
    text = editorPlainText(sourceFromFileBytes(bytes));
    return true;
}

CompileResult compileSource(const QString &text)
{
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    return compiler.compile(text);
}
