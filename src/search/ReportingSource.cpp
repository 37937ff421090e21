// A byte source that reports the reading of another one.
#include "search/ReportingSource.h"

#include <algorithm>

int64_t ReportingSource::Read(uint64_t address, uint8_t* dst, size_t n)
{
    if (m_stopped)
        return 0;
    const int64_t got = m_inner.Read(address, dst, n);
    if (got > 0)
        m_read += static_cast<uint64_t>(got);
    if (m_report && !m_report(std::min(m_read, Size()), Size())) {
        m_stopped = true;
        return 0;
    }
    return got;
}
