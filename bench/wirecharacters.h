#ifndef WIRECHARACTERS_H
#define WIRECHARACTERS_H

#include <QByteArray>
#include <QList>

// Characters of the frames quillmar-device --trace reported as received
// and sent; each takes 1/960 s on a 9600 baud 8N1 line.
inline qint64 wireCharacters(const QByteArray &trace)
{
    qint64 characters = 0;
    for (const QByteArray &line : trace.split('\n')) {
        const int rx = line.indexOf(" RX ");
        const int tx = line.indexOf(" TX ");
        const int at = rx >= 0 ? rx : tx;
        if (at < 0)
            continue;
        const QByteArray shown = line.mid(at + 4);
        // Control characters appear as four-character escapes "\xHH".
        characters += shown.size() - 3 * shown.count("\\x");
    }
    return characters;
}

#endif
