#include "echofilter.h"

EchoFilter::EchoFilter(const FrameSettings &settings, const QByteArray &request)
    : m_settings(settings)
    , m_request(request)
{
}

bool EchoFilter::resemblesRequest(const QByteArray &text) const
{
    if (text.size() < MinFragmentCharacters || text.size() > m_request.size())
        return false;
    int differences = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != m_request.at(i))
            ++differences;
    }
    return differences <= MaxDamagedCharacters;
}

EchoFilter::Head EchoFilter::classify(const QByteArray &buffer, int *length) const
{
    const int end = buffer.indexOf(m_settings.end);
    const int nextStart = buffer.indexOf(m_settings.start, 1);
    if (nextStart > 0 && (end < 0 || nextStart < end)) {
        // A frame broken off by the next start character: its end was lost.
        if (!m_request.isEmpty() && resemblesRequest(buffer.left(nextStart))) {
            *length = nextStart;
            return Head::DamagedEcho;
        }
        return end < 0 ? Head::Incomplete : Head::Reply;
    }
    if (end < 0)
        return Head::Incomplete;
    const QByteArray frame = buffer.left(end + 1);
    if (m_request.isEmpty() || frame.size() != m_request.size())
        return Head::Reply;
    const Head head = frame == m_request ? Head::Echo
                      : resemblesRequest(frame) ? Head::DamagedEcho
                                                : Head::Reply;
    if (head != Head::Reply)
        *length = frame.size();
    return head;
}
