#include "imaging/JpegBitReader.h"

#include "imaging/JpegReader.h"

namespace {

constexpr uchar kRst0 = 0xD0;

} // namespace

bool JpegBitReader::buildTable(const std::array<int, kMaxCodeLength + 1> &counts, HuffmanTable *table)
{
    int code = 0;
    int index = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        const int count = counts[length];
        table->maxCode[length] = count > 0 ? code + count - 1 : -1;
        table->offset[length] = index - code;
        code += count;
        index += count;
        if (code >= (1 << length) || index > int(table->values.size()))
            return false;
        code <<= 1;
    }
    table->count = index;
    table->defined = true;
    return true;
}

JpegBitReader::JpegBitReader(const JpegReader &file) : m_data(file.data()), m_size(file.size()), m_pos(file.pos())
{
}

bool JpegBitReader::bit(int *value)
{
    if (m_count == 0 && !fill())
        return false;
    --m_count;
    *value = (m_byte >> m_count) & 1;
    return true;
}

bool JpegBitReader::bits(int count, int *value)
{
    int result = 0;
    for (int i = 0; i < count; ++i) {
        int b = 0;
        if (!bit(&b))
            return false;
        result = result << 1 | b;
    }
    *value = result;
    return true;
}

bool JpegBitReader::symbol(const HuffmanTable &table, int *value)
{
    int code = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        int b = 0;
        if (!bit(&b))
            return false;
        code = code << 1 | b;
        if (code <= table.maxCode[length]) {
            const int index = table.offset[length] + code;
            if (index < 0 || index >= table.count)
                return false;
            *value = table.values[index];
            return true;
        }
    }
    return false;
}

bool JpegBitReader::restart(int number)
{
    m_count = 0;
    if (m_pos >= m_size || m_data[m_pos] != 0xFF)
        return false;
    while (m_pos < m_size && m_data[m_pos] == 0xFF)
        ++m_pos;
    if (m_pos >= m_size || m_data[m_pos] != kRst0 + number)
        return false;
    ++m_pos;
    return true;
}

bool JpegBitReader::fill()
{
    if (m_pos >= m_size)
        return false;
    const uchar next = m_data[m_pos];
    if (next == 0xFF) {
        if (m_pos + 1 >= m_size || m_data[m_pos + 1] != 0x00)
            return false;
        m_pos += 2;
    } else {
        ++m_pos;
    }
    m_byte = next;
    m_count = 8;
    return true;
}
