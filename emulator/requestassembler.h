#ifndef REQUESTASSEMBLER_H
#define REQUESTASSEMBLER_H

#include <QByteArray>
#include <QList>

// Cuts the incoming character stream into frame texts, "#" through CR.
// Characters outside a frame are dropped; a "#" inside a frame starts it
// anew (the earlier one was broken); an overlong frame is dropped.
class RequestAssembler
{
public:
    static constexpr int MaxFrameChars = 1024;

    // Feeds one character; returns true when it completed a frame, which
    // is then in frame().
    bool feed(char c);
    QList<QByteArray> feed(const QByteArray &chunk);
    const QByteArray &frame() const { return m_frame; }

private:
    QByteArray m_current;
    QByteArray m_frame;
    bool m_inFrame = false;
};

#endif
