// Reading a whole range at a file offset with pread.
#include "document/PositionedRead.h"

#include "document/ByteSource.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>

bool ReadFullyAt(int fd, uint8_t* dst, size_t n, uint64_t offset, QString& error)
{
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, dst + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (got == 0) {
            error = ShortReadText(); // the file was cut shorter since its size was taken
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}
#endif
