// Page-aligned block walks over byte sources.
#include "document/AlignedReader.h"

#include <algorithm>
#include <cstring>

AlignedReader::AlignedReader(ByteSource& source, uint64_t from, uint64_t end, size_t keepMax,
                             AlignedBuffer* buffer, size_t blockSize)
    : m_source(source),
      m_buf(buffer ? *buffer : m_own),
      m_rangeEnd(std::min(end, source.Size())),
      m_keepMax(keepMax),
      m_prefix(static_cast<size_t>(AlignedBuffer::AlignUp(keepMax))),
      m_block(static_cast<size_t>(std::max<uint64_t>(AlignedBuffer::AlignUp(blockSize), AlignedBuffer::kPage))),
      m_next(AlignedBuffer::AlignDown(from)),
      m_first(from)
{
}

QString AlignedReader::ErrorText() const
{
    if (m_failed && !m_short)
        return m_source.ErrorText();
    if (m_short)
        return QStringLiteral("ファイルを最後まで読み込めませんでした。");
    return {};
}

bool AlignedReader::Next(uint64_t keepFrom)
{
    if (m_failed)
        return false;
    if (!m_started) {
        m_started = true;
        if (m_first >= m_rangeEnd)
            return false;
        // Only what the range needs: a small file of a folder search takes a small buffer.
        const uint64_t need = AlignedBuffer::AlignUp(m_rangeEnd - m_next);
        m_block = static_cast<size_t>(std::min<uint64_t>(m_block, need));
        m_buf.Reserve(m_prefix + m_block);
        return LoadBlock(m_next, 0, m_first);
    }
    if (m_end >= m_rangeEnd || m_short)
        return false;
    keepFrom = std::clamp(keepFrom, m_start, m_end);
    if (m_end - keepFrom > m_keepMax)
        keepFrom = m_end - m_keepMax; // a caller asking for more than it announced keeps less
    const size_t keep = static_cast<size_t>(m_end - keepFrom);
    uint8_t* front = m_buf.Data() + m_prefix - keep;
    if (m_data)
        std::memmove(front, m_data + (keepFrom - m_start), keep);
    else
        std::memset(front, 0, keep);
    return LoadBlock(m_end, keep, keepFrom);
}

bool AlignedReader::LoadBlock(uint64_t at, size_t keep, uint64_t windowStart)
{
    uint8_t* block = m_buf.Data() + m_prefix;
    const bool holes = m_skipHoles && m_source.MayHaveHoles();
    if (m_holeNext) {
        // The hole's interior: nothing is read. The kept bytes were zeros of its first pages.
        m_holeNext = false;
        m_data = nullptr;
        m_start = windowStart;
        m_end = m_holeEnd;
        return true;
    }
    if (holes) {
        const uint64_t holeEnd = std::min(AlignedBuffer::AlignDown(m_source.HoleEnd(at)), m_rangeEnd);
        if (holeEnd > at && holeEnd - at >= m_prefix + AlignedBuffer::kPage) {
            if (keep == 0 || m_prefix == 0) {
                m_data = nullptr;
                m_start = windowStart;
                m_end = holeEnd;
                return true;
            }
            // After bytes of data: the hole's first bytes as real zeros, so that what straddles
            // the edge is seen whole; its interior next.
            std::memset(block, 0, m_prefix);
            m_data = block - keep;
            m_start = windowStart;
            m_end = at + m_prefix;
            m_holeNext = true;
            m_holeEnd = holeEnd;
            return true;
        }
    }
    size_t len = static_cast<size_t>(std::min<uint64_t>(m_block, m_rangeEnd - at));
    if (holes) {
        // Stop at the next hole that is worth skipping.
        const uint64_t dataEnd = AlignedBuffer::AlignUp(m_source.DataEnd(at));
        if (dataEnd > at && dataEnd - at < len)
            len = static_cast<size_t>(dataEnd - at);
    }
    const int64_t got = m_source.Read(at, block, len);
    if (got < 0) {
        m_failed = true;
        m_data = nullptr;
        m_start = m_end = at;
        return false;
    }
    if (static_cast<size_t>(got) < len) {
        m_short = true; // the file became shorter since it was opened
        if (got == 0)
            return false;
    }
    if (keep == 0 && windowStart > at) {
        // The range's first window starts inside its page.
        if (windowStart >= at + static_cast<uint64_t>(got))
            return false;
        m_data = block + (windowStart - at);
    } else {
        m_data = block - keep;
    }
    m_start = windowStart;
    m_end = at + static_cast<uint64_t>(got);
    return m_end > m_start;
}
