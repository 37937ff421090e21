// Mapped file byte source, falling back to positioned reads.
#include "document/MappedByteSource.h"

#include <algorithm>
#include <cstring>

MappedByteSource::MappedByteSource(const QString& path) : m_file(path), m_mapped(path)
{
    // A sparse file is read, not mapped: the reader skips its holes, a mapping would make every
    // page of them.
    if (m_file.IsOpen() && !m_file.MayHaveHoles() && m_mapped.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        m_map.Map(m_mapped, m_file.Size());
}

QString MappedByteSource::ErrorText() const
{
    if (m_map.CutShort())
        return ShortReadText();
    return m_file.ErrorText();
}

int64_t MappedByteSource::Read(uint64_t address, uint8_t* dst, size_t n)
{
    const uint8_t* data = m_map.Data();
    if (!data)
        return m_file.Read(address, dst, n);
    if (address >= m_map.Size())
        return 0;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_map.Size() - address));
    std::memcpy(dst, data + address, take);
    return m_map.CutShort() ? -1 : static_cast<int64_t>(take);
}
