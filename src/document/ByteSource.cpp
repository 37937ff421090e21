// Memory and file byte sources.
#include "document/ByteSource.h"

#include "document/NativePath.h"

#include <algorithm>
#include <cstring>

QString ShortReadText()
{
    return QStringLiteral("ファイルを最後まで読み込めませんでした。");
}

int64_t MemoryByteSource::Read(uint64_t address, uint8_t* dst, size_t n)
{
    if (address >= m_size)
        return 0;
    const uint64_t take = std::min<uint64_t>(n, m_size - address);
    std::memcpy(dst, m_data + address, static_cast<size_t>(take));
    return static_cast<int64_t>(take);
}

FileByteSource::FileByteSource(const QString& path)
{
    // Names that are not UTF-8 are opened by their bytes.
    if (!OpenNativeFile(m_file, path, QIODevice::ReadOnly | QIODevice::Unbuffered, &m_error))
        return;
    m_size = static_cast<uint64_t>(m_file.size());
}

int64_t FileByteSource::Read(uint64_t address, uint8_t* dst, size_t n)
{
    if (!m_file.isOpen())
        return -1;
    if (address >= m_size)
        return 0;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_size - address));
    if (!m_file.seek(static_cast<qint64>(address))) {
        m_error = m_file.errorString();
        return -1;
    }
    size_t done = 0;
    while (done < take) {
        const qint64 got = m_file.read(reinterpret_cast<char*>(dst) + done, static_cast<qint64>(take - done));
        if (got < 0) {
            m_error = m_file.errorString();
            return -1;
        }
        if (got == 0) {
            m_error = ShortReadText();
            return -1;
        }
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}
