#ifndef SOURCETEXT_H
#define SOURCETEXT_H

#include <QByteArray>
#include <QString>

// Program source files are UTF-8 without a byte-order mark. Reading stops at
// the first zero byte; invalid sequences become the replacement character.
QString sourceFromFileBytes(const QByteArray &bytes);

// The text as the editor hands it to the compiler after it was loaded:
// "\r\n", a lone "\r" and the Unicode line and paragraph separators each
// become one "\n", and a no-break space reads as a space.
QString editorPlainText(const QString &text);

#endif
