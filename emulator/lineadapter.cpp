#include "lineadapter.h"

LineAdapter::LineAdapter(bool echo, int latencyMs)
    : m_echo(echo)
    , m_latencyUs(qint64(qBound(0, latencyMs, MaxLatencyMs)) * 1000)
{
}

qint64 LineAdapter::deliveredUs(qint64 readyUs) const
{
    if (m_latencyUs <= 0 || readyUs <= 0)
        return readyUs;
    return (readyUs + m_latencyUs - 1) / m_latencyUs * m_latencyUs;
}
