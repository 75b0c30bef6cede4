#include "sourcetext.h"

QString sourceFromFileBytes(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    const QByteArray kept = zero < 0 ? bytes : bytes.left(zero);
    return QString::fromUtf8(kept);
}

QString editorPlainText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out.append(QLatin1Char('\n'));
        } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            out.append(QLatin1Char('\n'));
        } else if (c == QChar::Nbsp) {
            out.append(QLatin1Char(' '));
        } else {
            out.append(c);
        }
    }
    return out;
}
