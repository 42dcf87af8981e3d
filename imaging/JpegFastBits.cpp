#include "imaging/JpegFastBits.h"

#include <algorithm>
#include <cstring>

#include <QtEndian>

#include "imaging/JpegReader.h"

namespace {

// Data held in the window at a time, and the zeros after it that reads
// past the end of the data land in.
constexpr qsizetype kWindow = 32 * 1024;
constexpr qsizetype kSlack = 512;
// More than the longest block takes: a 16-bit code and 11 bits for its
// DC, 63 coefficients of 16-bit codes and 10 bits each, and the eight
// bytes a refill looks at.
constexpr qsizetype kGuard = 320;

constexpr int kBlockEnd = 64;

// An AC lookup entry: the bits to drop (0-4), how far the coefficient
// index moves (5-11), and whether the entry is the whole symbol with its
// extra bits or the code alone, the extra bits' count (28-31) to follow.
// An entry of two symbols also holds the first one's bits (16-20) and
// move (21-27), for a block whose first one takes it to its end.
constexpr quint32 kWhole = 1u << 12;
constexpr quint32 kCodeOnly = 1u << 13;
constexpr int kFirstDropShift = 16;
constexpr int kFirstAdvanceShift = 21;
constexpr int kExtraShift = 28;

quint64 bigEndian64(const uchar *p)
{
    quint64 value = 0;
    std::memcpy(&value, p, sizeof value);
    return qFromBigEndian(value);
}

// Where a symbol takes the coefficient index: past a run and its
// coefficient, sixteen on for a run of zeros, or to the block's end.
int advanceOf(int symbol)
{
    const int run = symbol >> 4;
    const int size = symbol & 0x0F;
    if (size != 0)
        return run + 1;
    return run == 15 ? 16 : kBlockEnd;
}

// Calls visit(code, length, symbol) for each code of table up to
// lookupBits long.
template<typename Visit>
void shortCodes(const JpegBitReader::HuffmanTable &table, int lookupBits, Visit visit)
{
    int index = 0;
    for (int length = 1; length <= lookupBits; ++length) {
        if (table.maxCode[length] < 0)
            continue;
        const int first = index - table.offset[length];
        for (int code = first; code <= table.maxCode[length]; ++code, ++index)
            visit(code, length, table.values[size_t(table.offset[length] + code)]);
    }
}

} // namespace

void JpegFastBits::buildDc(const HuffmanTable &table, DcCodes *codes)
{
    codes->table = table;
    codes->lookup.fill(0);
    constexpr int bits = DcCodes::kLookupBits;
    shortCodes(table, bits, [codes](int code, int length, int symbol) {
        const int spread = bits - length;
        const quint16 entry = quint16(length | symbol << 8);
        std::fill_n(codes->lookup.begin() + (code << spread), 1 << spread, entry);
    });
}

void JpegFastBits::buildAc(const HuffmanTable &table, AcCodes *codes)
{
    codes->table = table;
    codes->lookup.fill(0);
    constexpr int bits = AcCodes::kLookupBits;
    shortCodes(table, bits, [codes](int code, int length, int symbol) {
        const int spread = bits - length;
        const int size = symbol & 0x0F;
        const quint32 advance = quint32(advanceOf(symbol)) << 5;
        const quint32 entry = length + size <= bits ? quint32(length + size) | advance | kWhole
                                                    : quint32(length) | advance | kCodeOnly | quint32(size) << kExtraShift;
        std::fill_n(codes->lookup.begin() + (code << spread), 1 << spread, entry);
    });
    // Where a whole symbol that does not end the block leaves room for the
    // next whole one, the entry takes both: a block's last coefficient and
    // its end often come in one step.
    const std::array<quint32, 1 << bits> single = codes->lookup;
    for (quint32 index = 0; index < single.size(); ++index) {
        const quint32 first = single[index];
        const quint32 drop = first & 31;
        const quint32 advance = (first >> 5) & 127;
        if (!(first & kWhole) || advance >= kBlockEnd || drop == 0)
            continue;
        const quint32 second = single[(index << drop) & ((1u << bits) - 1)];
        if ((second & kWhole) && (second & 31) <= bits - drop) {
            codes->lookup[index] = (drop + (second & 31)) | (advance + ((second >> 5) & 127)) << 5 | kWhole
                | drop << kFirstDropShift | advance << kFirstAdvanceShift;
        }
    }
}

JpegFastBits::JpegFastBits(const JpegReader &file)
    : m_file(file.data()), m_fileSize(file.size()), m_next(file.pos()), m_window(size_t(kWindow + kSlack), 0)
{
    m_p = m_window.data();
    slide();
}

void JpegFastBits::slide()
{
    uchar *const window = m_window.data();
    const qsizetype used = m_p - window;
    std::memmove(window, m_p, size_t(m_valid - used));
    m_valid -= used;
    m_dropped += used;
    m_p = window;
    while (m_valid < kWindow && !m_atMarker) {
        const qsizetype room = std::min(kWindow - m_valid, m_fileSize - m_next);
        const auto *from = m_file + m_next;
        const auto *found = static_cast<const uchar *>(std::memchr(from, 0xFF, size_t(room)));
        const qsizetype plain = found ? found - from : room;
        std::memcpy(window + m_valid, from, size_t(plain));
        m_valid += plain;
        m_next += plain;
        if (found) {
            // A stuffed 0xFF is data; anything else after one is a marker.
            if (m_next + 1 < m_fileSize && m_file[m_next + 1] == 0x00) {
                window[m_valid++] = 0xFF;
                m_next += 2;
                continue;
            }
            m_atMarker = true;
        } else if (m_next >= m_fileSize) {
            m_atMarker = true;  // the file ends inside the data
        }
    }
    if (m_atMarker) {
        m_markerPos = m_next;
        std::fill(window + m_valid, window + kWindow + kSlack, uchar(0));
    }
}

namespace {

// The reading state of one block, held in locals so that the loops keep
// it in registers.
struct Cursor
{
    quint64 bits;
    int count;
    const uchar *p;

    void refill()
    {
        bits |= bigEndian64(p) >> count;
        p += (63 - count) >> 3;
        count |= 56;
    }
    void drop(int n)
    {
        bits <<= n;
        count -= n;
    }
    // A code longer than the lookup takes, found the canonical way.
    bool symbol(const JpegBitReader::HuffmanTable &table, int *value)
    {
        const int top = int(bits >> 48);
        for (int length = 1; length <= JpegBitReader::kMaxCodeLength; ++length) {
            const int code = top >> (16 - length);
            if (code <= table.maxCode[length]) {
                const int index = table.offset[length] + code;
                if (index < 0 || index >= table.count)
                    return false;
                drop(length);
                *value = table.values[size_t(index)];
                return true;
            }
        }
        return false;
    }
};

} // namespace

bool JpegFastBits::block(const DcCodes &dc, const AcCodes &ac, int *difference)
{
    if (m_atMarker) {
        if (overrun())
            return false;
    } else if (m_valid - (m_p - m_window.data()) < kGuard) {
        slide();
    }
    Cursor at{m_bits, m_count, m_p};
    at.refill();
    const quint16 dcEntry = dc.lookup[size_t(at.bits >> (64 - DcCodes::kLookupBits))];
    int category = 0;
    if (dcEntry != 0) {
        category = dcEntry >> 8;
        at.drop(dcEntry & 0xFF);
    } else if (!at.symbol(dc.table, &category)) {
        return false;
    }
    if (category > JpegBitReader::kMaxDcCategory)
        return false;
    *difference = category == 0 ? 0 : JpegBitReader::extended(int(at.bits >> (64 - category)), category);
    at.drop(category);
    for (int k = 1; k < kBlockEnd;) {
        at.refill();
        const quint32 entry = ac.lookup[size_t(at.bits >> (64 - AcCodes::kLookupBits))];
        // A block whose first symbol of a pair fills it ends there: the
        // second belongs to the next block.
        if (Q_UNLIKELY(k + int(entry >> kFirstAdvanceShift & 127) >= kBlockEnd)) {
            at.drop(int(entry >> kFirstDropShift & 31));
            break;
        }
        at.drop(int(entry & 31));
        k += int(entry >> 5) & 127;
        if (Q_UNLIKELY(entry & kCodeOnly)) {
            at.drop(int(entry >> kExtraShift));
        } else if (Q_UNLIKELY(!(entry & kWhole))) {
            int symbol = 0;
            if (!at.symbol(ac.table, &symbol))
                return false;
            at.drop(symbol & 0x0F);
            k += advanceOf(symbol);
        }
    }
    m_bits = at.bits;
    m_count = at.count;
    m_p = at.p;
    return true;
}

qint64 JpegFastBits::bitsUsed() const
{
    return (m_dropped + (m_p - m_window.data())) * 8 - m_count;
}

bool JpegFastBits::overrun() const
{
    return m_atMarker && bitsUsed() > (m_dropped + m_valid) * 8;
}

bool JpegFastBits::restart(int number)
{
    // The interval's data must end here: only the padding of its last byte
    // is left before the marker.
    if (!m_atMarker || overrun() || (m_dropped + m_valid) * 8 - bitsUsed() >= 8)
        return false;
    qsizetype at = m_markerPos;
    if (at >= m_fileSize || m_file[at] != 0xFF)
        return false;
    while (at < m_fileSize && m_file[at] == 0xFF)
        ++at;
    if (at >= m_fileSize || m_file[at] != 0xD0 + number)
        return false;
    m_next = at + 1;
    m_atMarker = false;
    m_valid = 0;
    m_dropped = 0;
    m_p = m_window.data();
    m_bits = 0;
    m_count = 0;
    slide();
    return true;
}
