#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

#include "imaging/JpegBitReader.h"

class JpegReader;

// The entropy-coded data of a sequential Huffman scan read at speed, for a
// decode that keeps each block's DC value and passes over its AC
// coefficients.
//
// The bytes up to the marker that ends the data are copied a window at a
// time with their stuffing taken out, so that bits are taken eight bytes
// at once without looking for markers. Bits asked for past the end of the
// data read as zeros; overrun() tells afterwards that the data fell short.
// Nothing outside the file's bytes is ever read.
class JpegFastBits
{
public:
    using HuffmanTable = JpegBitReader::HuffmanTable;

    // A DC table with its short codes looked up in one step.
    struct DcCodes
    {
        static constexpr int kLookupBits = 9;
        HuffmanTable table;
        std::array<quint16, 1 << kLookupBits> lookup{};  // length | category << 8; 0 for a longer code
    };

    // An AC table looked up for passing over coefficients: a short code
    // and its extra bits taken in one step.
    struct AcCodes
    {
        static constexpr int kLookupBits = 12;
        HuffmanTable table;
        std::array<quint32, 1 << kLookupBits> lookup{};
    };

    static void buildDc(const HuffmanTable &table, DcCodes *codes);
    static void buildAc(const HuffmanTable &table, AcCodes *codes);

    // Starts at the reader's place in the file, the first byte of the data.
    explicit JpegFastBits(const JpegReader &file);

    // One block: its DC difference (extended to its sign) into difference,
    // its AC coefficients passed over. False for a code the tables do not
    // hold, a DC category beyond 8-bit samples, or data that has already
    // fallen short.
    bool block(const DcCodes &dc, const AcCodes &ac, int *difference);

    // Whether more bits were taken than the data holds.
    bool overrun() const;
    // At the end of an interval: the data must end here, at restart marker
    // number (0-7), padded to the byte; reading goes on after the marker.
    bool restart(int number);

private:
    void slide();
    qint64 bitsUsed() const;

    const uchar *m_file;
    qsizetype m_fileSize;
    qsizetype m_next;         // the next file byte to copy into the window
    bool m_atMarker = false;  // the data's end is in the window
    qsizetype m_markerPos = 0;
    std::vector<uchar> m_window;
    qsizetype m_valid = 0;    // bytes of data in the window; zeros follow
    qint64 m_dropped = 0;     // bytes of data slid out of the window
    const uchar *m_p = nullptr;
    quint64 m_bits = 0;       // the next bits, first at the top
    int m_count = 0;          // how many of them are data
};
