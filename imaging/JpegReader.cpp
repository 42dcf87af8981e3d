#include "imaging/JpegReader.h"

#include <algorithm>
#include <cstring>

bool JpegReader::isFrame(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool JpegReader::isProgressiveFrame(int marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

void JpegReader::seek(qsizetype pos)
{
    m_pos = std::clamp<qsizetype>(pos, 0, m_size);
}

bool JpegReader::byte(int *value)
{
    if (m_pos >= m_size)
        return false;
    *value = m_data[m_pos++];
    return true;
}

bool JpegReader::word(int *value)
{
    int high = 0, low = 0;
    if (!byte(&high) || !byte(&low))
        return false;
    *value = high << 8 | low;
    return true;
}

bool JpegReader::skip(qsizetype count)
{
    if (count < 0 || count > left())
        return false;
    m_pos += count;
    return true;
}

bool JpegReader::take(qsizetype count, JpegReader *part)
{
    if (count < 0 || count > left())
        return false;
    *part = JpegReader(m_data + m_pos, count);
    m_pos += count;
    return true;
}

int JpegReader::nextMarker()
{
    int value = 0;
    if (!byte(&value) || value != 0xFF)
        return -1;
    do {
        if (!byte(&value))
            return -1;
    } while (value == 0xFF);
    return value;
}

bool JpegReader::segmentBody(JpegReader *body)
{
    int length = 0;
    return word(&length) && length >= 2 && take(length - 2, body);
}

bool JpegReader::skipEntropyData()
{
    qsizetype i = m_pos;
    while (i + 1 < m_size) {
        const void *found = std::memchr(m_data + i, 0xFF, size_t(m_size - i - 1));
        if (!found)
            return false;
        i = static_cast<const uchar *>(found) - m_data;
        const uchar next = m_data[i + 1];
        if (next == 0x00 || isRestart(next)) {
            i += 2;
        } else if (next == 0xFF) {
            ++i;  // a fill byte; the marker follows
        } else {
            m_pos = i;
            return true;
        }
    }
    return false;
}
