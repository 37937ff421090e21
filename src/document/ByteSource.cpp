// Memory and file byte sources.
#include "document/ByteSource.h"
#include "document/PositionedRead.h"

#include "base/NativePath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifdef Q_OS_UNIX
    struct stat st;
    if (::fstat(m_file.handle(), &st) == 0 && S_ISREG(st.st_mode))
        m_sparse = static_cast<uint64_t>(st.st_blocks) * 512 + (uint64_t(1) << 20) < m_size;
#endif
}

int64_t FileByteSource::Read(uint64_t address, uint8_t* dst, size_t n)
{
    if (!m_file.isOpen())
        return -1;
    if (address >= m_size)
        return 0;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_size - address));
    size_t done = 0;
#ifdef Q_OS_UNIX
    // Positioned reads: no seek, and the descriptor's position is nobody's business.
    if (!ReadFullyAt(m_file.handle(), dst, take, address, m_error))
        return -1;
    done = take;
#else
    if (!m_file.seek(static_cast<qint64>(address))) {
        m_error = m_file.errorString();
        return -1;
    }
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
#endif
    return static_cast<int64_t>(done);
}

uint64_t FileByteSource::HoleEnd(uint64_t address)
{
#if defined(Q_OS_UNIX) && defined(SEEK_DATA)
    if (m_sparse && address < m_size) {
        const off_t data = ::lseek(m_file.handle(), static_cast<off_t>(address), SEEK_DATA);
        if (data >= 0)
            return std::min<uint64_t>(static_cast<uint64_t>(data), m_size);
        if (errno == ENXIO)
            return m_size; // a hole up to the end
    }
#endif
    return address; // unknown: read it
}

uint64_t FileByteSource::DataEnd(uint64_t address)
{
#if defined(Q_OS_UNIX) && defined(SEEK_HOLE)
    if (m_sparse && address < m_size) {
        const off_t hole = ::lseek(m_file.handle(), static_cast<off_t>(address), SEEK_HOLE);
        if (hole >= 0)
            return std::max<uint64_t>(std::min<uint64_t>(static_cast<uint64_t>(hole), m_size), address);
    }
#endif
    return m_size;
}
