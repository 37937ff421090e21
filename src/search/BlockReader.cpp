// Buffered block reading of byte sources.
#include "search/BlockReader.h"

#include <algorithm>

BlockReader::BlockReader(ByteSource& source, size_t blockSize)
    : m_source(source), m_data(source.Data()), m_size(source.Size()), m_blockSize(blockSize)
{
}

const uint8_t* BlockReader::Get(uint64_t address, size_t n, size_t* available)
{
    *available = 0;
    if (address >= m_size)
        return m_data ? m_data + m_size : nullptr;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(n, m_size - address));
    if (m_data) {
        *available = want;
        return m_data + address;
    }
    if (address < m_bufStart || address + want > m_bufStart + m_bufLen) {
        // The block starts on the page that holds `address`: every read lands page to page.
        const uint64_t at = AlignedBuffer::AlignDown(address);
        const size_t len = std::max(m_blockSize, static_cast<size_t>(address - at) + want);
        m_buf.Reserve(len);
        const int64_t got = m_source.Read(at, m_buf.Data(), len);
        if (got < 0) {
            m_failed = true;
            m_bufLen = 0;
            return nullptr;
        }
        m_bufStart = at;
        m_bufLen = static_cast<size_t>(got);
        if (address >= m_bufStart + m_bufLen)
            return m_buf.Data(); // the file ended early: nothing available
    }
    *available = static_cast<size_t>(std::min<uint64_t>(want, m_bufStart + m_bufLen - address));
    return m_buf.Data() + (address - m_bufStart);
}
