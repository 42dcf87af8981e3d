#include "platform/SanePage.h"

#include <cstring>

namespace {

// Room for this many lines at a time when the height is not known.
constexpr int kUnknownHeightStep = 256;

int channelOf(SANE_Frame format)
{
    return format == SANE_FRAME_GREEN ? 1 : format == SANE_FRAME_BLUE ? 2 : 0;
}

bool separateFrame(SANE_Frame format)
{
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

// The bytes one line of the frame needs.
qint64 lineBytes(const SANE_Parameters &p)
{
    const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    return (qint64(p.pixels_per_line) * p.depth * channels + 7) / 8;
}

// The high byte of a 16-bit sample, which the scanner sends in the
// machine's own byte order.
inline uchar high(const uchar *samples, int index)
{
    quint16 v;
    std::memcpy(&v, samples + 2 * index, 2);
    return uchar(v >> 8);
}

} // namespace

bool SanePage::beginFrame(const SANE_Parameters &p, QString *reason)
{
    const bool separate = separateFrame(p.format);
    if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && !separate) {
        *reason = QStringLiteral("The scanner sends its pictures in a form the program cannot read.");
        return false;
    }
    const bool depthKnown = p.format == SANE_FRAME_GRAY ? (p.depth == 1 || p.depth == 8 || p.depth == 16)
                                                        : (p.depth == 8 || p.depth == 16);
    if (!depthKnown || p.pixels_per_line <= 0 || p.bytes_per_line < lineBytes(p)) {
        *reason = QStringLiteral("The scanner sends pictures of %1 bits per sample, which the program cannot read.")
                      .arg(p.depth);
        return false;
    }
    if (m_started) {
        // Only the colours of a three-pass page come in frames of their own,
        // and they must be alike in everything but the colour.
        const bool fits = m_separate && separate && !m_seen[channelOf(p.format)]
            && p.pixels_per_line == m_format.pixels_per_line && p.depth == m_format.depth
            && p.bytes_per_line == m_format.bytes_per_line;
        if (!fits) {
            *reason = QStringLiteral("The scanner sent the colours of a page in parts that do not fit together.");
            return false;
        }
    }
    m_started = true;
    m_separate = separate;
    m_format = p;
    m_current = channelOf(p.format);
    m_seen[m_current] = true;
    m_lastFrame = p.last_frame == SANE_TRUE;
    Plane &plane = m_planes[m_current];
    plane.used = 0;
    plane.bytes.resize(p.lines > 0 ? qsizetype(p.bytes_per_line) * p.lines : 0);
    return true;
}

qint64 SanePage::bytesLeft() const
{
    if (!m_started || m_format.lines <= 0)
        return -1;
    return qMax<qint64>(0, qint64(m_format.bytes_per_line) * m_format.lines - m_planes[m_current].used);
}

int SanePage::readSize(int most) const
{
    const qint64 left = bytesLeft();
    return left > 0 ? int(qMin<qint64>(left, most)) : most;
}

unsigned char *SanePage::reserve(int bytes)
{
    Plane &plane = m_planes[m_current];
    if (frameComplete()) {
        // Only the end of the frame is still to come; lines past the
        // announced height would not be kept.
        if (m_overflow.size() < bytes)
            m_overflow.resize(bytes);
        return reinterpret_cast<unsigned char *>(m_overflow.data());
    }
    const qsizetype needed = qsizetype(plane.used) + bytes;
    if (needed > plane.bytes.size()) {
        // A page longer than announced, or of unknown height, grows by
        // doubling so that reading stays linear.
        const qsizetype step = qsizetype(m_format.bytes_per_line) * kUnknownHeightStep;
        plane.bytes.resize(qMax(needed, qMax(plane.bytes.size() * 2, step)));
    }
    return reinterpret_cast<unsigned char *>(plane.bytes.data()) + plane.used;
}

void SanePage::commit(int bytes)
{
    if (!frameComplete())
        m_planes[m_current].used += bytes;
}

bool SanePage::frameComplete() const
{
    return m_started && m_format.lines > 0
        && m_planes[m_current].used >= qint64(m_format.bytes_per_line) * m_format.lines;
}

int SanePage::lineCount(const Plane &plane) const
{
    const int lines = int(plane.used / m_format.bytes_per_line);
    return m_format.lines > 0 ? qMin(lines, m_format.lines) : lines;
}

QImage SanePage::takeImage(int dpi, QString *reason)
{
    int lines = 0;
    if (m_started) {
        lines = lineCount(m_planes[m_current]);
        if (m_separate)
            for (int c = 0; c < 3; ++c)
                lines = m_seen[c] ? qMin(lines, lineCount(m_planes[c])) : 0;
    }
    if (lines <= 0) {
        *reason = QStringLiteral("The scanner sent no picture.");
        return QImage();
    }
    QImage image;
    if (m_separate)
        image = separateColourImage(lines);
    else if (m_format.format == SANE_FRAME_RGB)
        image = m_format.depth == 8 ? adoptedImage(lines, QImage::Format_RGB888) : colourImage(lines);
    else if (m_format.depth == 8)
        image = adoptedImage(lines, QImage::Format_Grayscale8);
    else
        image = greyImage(lines);
    if (image.isNull()) {
        *reason = QStringLiteral("There is not enough memory for the scanned page.");
        return image;
    }
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QImage SanePage::adoptedImage(int lines, QImage::Format format)
{
    const int bytesPerLine = m_format.bytes_per_line;
    if (bytesPerLine % 4 != 0)
        return format == QImage::Format_RGB888 ? colourImage(lines) : greyImage(lines);
    auto *bytes = new QByteArray(std::move(m_planes[0].bytes));
    m_planes[0].used = 0;
    return QImage(reinterpret_cast<uchar *>(bytes->data()), m_format.pixels_per_line, lines, bytesPerLine, format,
                  [](void *buffer) { delete static_cast<QByteArray *>(buffer); }, bytes);
}

QImage SanePage::greyImage(int lines) const
{
    const int width = m_format.pixels_per_line;
    const QImage::Format format = m_format.depth == 1 ? QImage::Format_Mono
        : m_format.depth == 8 ? QImage::Format_Grayscale8 : QImage::Format_Grayscale16;
    QImage image(width, lines, format);
    if (image.isNull())
        return image;
    if (m_format.depth == 1)
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // bit 1 is black
    const qsizetype rowBytes = lineBytes(m_format);
    const char *data = m_planes[0].bytes.constData();
    for (int y = 0; y < lines; ++y)
        std::memcpy(image.scanLine(y), data + qsizetype(y) * m_format.bytes_per_line, rowBytes);
    return image;
}

QImage SanePage::colourImage(int lines) const
{
    const int width = m_format.pixels_per_line;
    QImage image(width, lines, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    const auto *data = reinterpret_cast<const uchar *>(m_planes[0].bytes.constData());
    for (int y = 0; y < lines; ++y) {
        const uchar *row = data + qsizetype(y) * m_format.bytes_per_line;
        uchar *out = image.scanLine(y);
        if (m_format.depth == 8) {
            std::memcpy(out, row, qsizetype(width) * 3);
        } else {
            for (int i = 0; i < width * 3; ++i)
                out[i] = high(row, i);
        }
    }
    return image;
}

QImage SanePage::separateColourImage(int lines) const
{
    const int width = m_format.pixels_per_line;
    QImage image(width, lines, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    for (int c = 0; c < 3; ++c) {
        const auto *data = reinterpret_cast<const uchar *>(m_planes[c].bytes.constData());
        for (int y = 0; y < lines; ++y) {
            const uchar *row = data + qsizetype(y) * m_format.bytes_per_line;
            uchar *out = image.scanLine(y) + c;
            for (int x = 0; x < width; ++x)
                out[3 * x] = m_format.depth == 8 ? row[x] : high(row, x);
        }
    }
    return image;
}
