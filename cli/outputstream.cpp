#include "outputstream.h"

#include <cstring>

OutputStream::OutputStream(std::FILE *stream) : m_stream(stream) {}

OutputStream::~OutputStream()
{
    flush();
}

void OutputStream::writeLine(const QString &line)
{
    // Most lines are plain ASCII and short: copy those straight into the
    // buffer, without a temporary array.
    const int size = line.size();
    if (size < BlockSize) {
        if (m_used + size + 1 > BlockSize)
            flush();
        char *out = m_buffer + m_used;
        const QChar *in = line.constData();
        int i = 0;
        while (i < size && in[i].unicode() < 0x80) {
            out[i] = char(in[i].unicode());
            ++i;
        }
        if (i == size) {
            out[size] = '\n';
            m_used += size + 1;
            return;
        }
    }
    writeLine(line.toUtf8());
}

void OutputStream::writeLine(const QByteArray &utf8)
{
    write(utf8.constData(), utf8.size());
    write("\n", 1);
}

void OutputStream::write(const char *bytes, int size)
{
    if (m_used + size > BlockSize)
        flush();
    if (size > BlockSize) {
        std::fwrite(bytes, 1, size_t(size), m_stream);
        return;
    }
    std::memcpy(m_buffer + m_used, bytes, size_t(size));
    m_used += size;
}

void OutputStream::flush()
{
    if (m_used > 0) {
        std::fwrite(m_buffer, 1, size_t(m_used), m_stream);
        m_used = 0;
    }
    std::fflush(m_stream);
}
