#ifndef OUTPUTSTREAM_H
#define OUTPUTSTREAM_H

#include <QByteArray>
#include <QString>

#include <cstdio>

// Buffered UTF-8 line output to a C stream. Bytes are written as they are,
// whatever the locale says, and only in large blocks.
class OutputStream
{
public:
    explicit OutputStream(std::FILE *stream);
    ~OutputStream();
    OutputStream(const OutputStream &) = delete;
    OutputStream &operator=(const OutputStream &) = delete;

    // The text followed by a line feed.
    void writeLine(const QString &line);
    void writeLine(const QByteArray &utf8);
    void flush();

private:
    static constexpr int BlockSize = 1 << 16;

    void write(const char *bytes, int size);

    std::FILE *m_stream;
    char m_buffer[BlockSize];
    int m_used = 0;
};

#endif
