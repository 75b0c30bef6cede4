#ifndef ECHOFILTER_H
#define ECHOFILTER_H

#include <QByteArray>

#include "link/framesettings.h"

// Tells the line's echo of a request from the reply to it. Two-wire RS-485
// adapters hand every transmitted character back to the receiver, so the
// request comes back before the device answers. No reply is ever identical
// to its request (the two addresses trade places), so an exact copy is the
// echo; a copy that differs in a character or two, or is cut short by the
// next start character, is that echo damaged on the line.
class EchoFilter
{
public:
    enum class Head {
        Incomplete, // no complete frame at the head yet
        Reply,      // the head frame is to be taken as the reply
        Echo,       // the head frame is the request, returned intact
        DamagedEcho // the head frame is the request, damaged: garbage
    };

    // Damage beyond this many characters is not taken for an echo.
    static constexpr int MaxDamagedCharacters = 2;
    // A cut-off echo must at least show both addresses to be recognised.
    static constexpr int MinFragmentCharacters = 5;

    EchoFilter(const FrameSettings &settings, const QByteArray &request);

    // What the head of a collected buffer (starting with a start character)
    // is; for an echo, length receives how many characters it spans.
    Head classify(const QByteArray &buffer, int *length) const;

private:
    bool resemblesRequest(const QByteArray &text) const;

    FrameSettings m_settings;
    QByteArray m_request;
};

#endif
