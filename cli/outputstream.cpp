#include "outputstream.h"

namespace {
constexpr int BlockSize = 1 << 16;
}

OutputStream::OutputStream(std::FILE *stream) : m_stream(stream)
{
    m_buffer.reserve(2 * BlockSize);
}

OutputStream::~OutputStream()
{
    flush();
}

void OutputStream::writeLine(const QString &line)
{
    // Most lines are plain ASCII: copy those without a temporary array.
    const int start = m_buffer.size();
    for (const QChar ch : line) {
        const ushort c = ch.unicode();
        if (c >= 0x80) {
            m_buffer.truncate(start);
            m_buffer.append(line.toUtf8());
            break;
        }
        m_buffer.append(char(c));
    }
    m_buffer.append('\n');
    flushIfFull();
}

void OutputStream::writeLine(const QByteArray &utf8)
{
    m_buffer.append(utf8);
    m_buffer.append('\n');
    flushIfFull();
}

void OutputStream::flushIfFull()
{
    if (m_buffer.size() >= BlockSize)
        flush();
}

void OutputStream::flush()
{
    if (!m_buffer.isEmpty()) {
        std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_stream);
        m_buffer.clear();
        m_buffer.reserve(2 * BlockSize);
    }
    std::fflush(m_stream);
}
