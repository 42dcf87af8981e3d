#pragma once

#include <QtGlobal>

#include <array>

class JpegReader;

// The entropy-coded bits of a JPEG scan, read from where a JpegReader
// stands: stuffed zero bytes are dropped, and a marker ends the data, so
// that a read past it fails rather than guesses.
class JpegBitReader
{
public:
    static constexpr int kMaxCodeLength = 16;
    // The largest category of a DC difference of 8-bit samples.
    static constexpr int kMaxDcCategory = 11;

    // A value of category bits, as the JPEG entropy coding extends it to a
    // signed difference.
    static int extended(int value, int category)
    {
        return category > 0 && value < (1 << (category - 1)) ? value - (1 << category) + 1 : value;
    }

    // A Huffman table as the decoder uses it: canonical codes by length.
    struct HuffmanTable
    {
        bool defined = false;
        int count = 0;
        std::array<int, kMaxCodeLength + 1> maxCode{};  // the largest code of each length; -1 for none
        std::array<int, kMaxCodeLength + 1> offset{};   // a code's index in values, less the code
        std::array<uchar, 256> values{};
    };

    // The codes of the counts of each length (counts[1] to counts[16]);
    // false for more than 256 codes or a length that overflows, which the
    // JPEG decoders refuse too. The values are filled in by the caller.
    static bool buildTable(const std::array<int, kMaxCodeLength + 1> &counts, HuffmanTable *table);

    explicit JpegBitReader(const JpegReader &file);
    // Where the bytes read so far end.
    qsizetype pos() const { return m_pos; }

    bool bit(int *value);
    bool bits(int count, int *value);
    bool symbol(const HuffmanTable &table, int *value);
    // Passes restart marker number (0-7); the rest of the byte before it
    // is padding.
    bool restart(int number);

private:
    bool fill();

    const uchar *m_data;
    qsizetype m_size;
    qsizetype m_pos;
    uint m_byte = 0;
    int m_count = 0;
};
