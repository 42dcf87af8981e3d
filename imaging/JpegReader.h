#pragma once

#include <QtGlobal>

// A span of a JPEG file's bytes read strictly: every read says whether it
// fitted, and nothing is read outside the span. Files are anyone's, so the
// decoders built on it treat a failed read as a file they decline.
class JpegReader
{
public:
    JpegReader() = default;
    JpegReader(const uchar *data, qsizetype size) : m_data(data), m_size(size) {}

    const uchar *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    qsizetype pos() const { return m_pos; }
    qsizetype left() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }
    // Moves to pos, held within the span.
    void seek(qsizetype pos);

    bool byte(int *value);
    // A big-endian 16-bit value, as JPEG stores them.
    bool word(int *value);
    bool skip(qsizetype count);
    // The next count bytes as a reader of their own, skipped here.
    bool take(qsizetype count, JpegReader *part);

    // The marker at the reader, past any fill bytes; -1 when there is none.
    int nextMarker();
    // The body of the segment whose length comes next, skipped here.
    bool segmentBody(JpegReader *body);
    // Passes entropy-coded data (stuffed bytes and restart markers
    // included) up to the marker that ends it; false when none does.
    bool skipEntropyData();

    static constexpr int Soi = 0xD8;
    static constexpr int Eoi = 0xD9;
    static constexpr int Sos = 0xDA;

    static bool isRestart(int marker) { return marker >= 0xD0 && marker <= 0xD7; }
    // The markers without a length or body: TEM, RSTn, SOI and EOI.
    static bool standsAlone(int marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9); }
    // A start of frame of any process (SOF0 to SOF15); DHT, JPG and DAC
    // share the range but are not frames.
    static bool isFrame(int marker);
    // A progressive start of frame, Huffman or arithmetic coded.
    static bool isProgressiveFrame(int marker);

private:
    const uchar *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_pos = 0;
};
