#include "progressline.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define QUILLMAR_ISATTY(stream) _isatty(_fileno(stream))
#else
#include <unistd.h>
#define QUILLMAR_ISATTY(stream) isatty(fileno(stream))
#endif

namespace {
constexpr int BarWidth = 30;
} // namespace

ProgressLine::ProgressLine() : m_terminal(QUILLMAR_ISATTY(stderr) != 0) {}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::show(int done, int total, const QString &text)
{
    const QByteArray line = text.toUtf8();
    if (!m_terminal) {
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return;
    }
    const int filled = total > 0 ? BarWidth * done / total : BarWidth;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(BarWidth - filled, '.');
    // \033[K clears what a longer earlier text left behind.
    std::fprintf(stderr, "\r[%s] %s\033[K", bar.constData(), line.constData());
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressLine::finish()
{
    if (m_drawn) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        m_drawn = false;
    }
}
