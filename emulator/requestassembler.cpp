#include "requestassembler.h"

#include "devicewire.h"

bool RequestAssembler::feed(char c)
{
    if (c == DeviceWire::Start) {
        m_current = QByteArray(1, c);
        m_inFrame = true;
        return false;
    }
    if (!m_inFrame)
        return false;
    m_current.append(c);
    if (c == DeviceWire::End) {
        m_frame = m_current;
        m_current.clear();
        m_inFrame = false;
        return true;
    }
    if (m_current.size() > MaxFrameChars) {
        m_current.clear();
        m_inFrame = false;
    }
    return false;
}

QList<QByteArray> RequestAssembler::feed(const QByteArray &chunk)
{
    QList<QByteArray> frames;
    for (const char c : chunk) {
        if (feed(c))
            frames.append(m_frame);
    }
    return frames;
}
