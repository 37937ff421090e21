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
        if (!m_buf)
            m_buf.reset(new uint8_t[std::max(m_blockSize, want)]);
        else if (want > m_blockSize) {
            m_blockSize = want;
            m_buf.reset(new uint8_t[m_blockSize]);
        }
        const int64_t got = m_source.Read(address, m_buf.get(), m_blockSize);
        if (got < 0) {
            m_failed = true;
            m_bufLen = 0;
            return nullptr;
        }
        m_bufStart = address;
        m_bufLen = static_cast<size_t>(got);
    }
    *available = static_cast<size_t>(std::min<uint64_t>(want, m_bufStart + m_bufLen - address));
    return m_buf.get() + (address - m_bufStart);
}
