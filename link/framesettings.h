#ifndef FRAMESETTINGS_H
#define FRAMESETTINGS_H

#include <QByteArray>

// Framing of the device's ASCII-hex frames.
struct FrameSettings
{
    QByteArray digits = QByteArrayLiteral("0123456789ABCDEF");
    char start = '#';
    char end = '\r';
    quint8 ownAddress = 200; // the computer: source of requests, destination of replies
};

#endif
