// Reserving a file's new length before it grows in place, and the free room of a file system.
#include "document/FileGrowth.h"

#include "document/NativePath.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

std::function<int(uint64_t)> g_reserveFileLengthHook;

int ReserveFileLength(int fd, uint64_t from, uint64_t length)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    const off_t old = st.st_size;
    if (static_cast<uint64_t>(old) >= length)
        return 0;
    if (length > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return EFBIG;
    if (g_reserveFileLengthHook)
        if (const int injected = g_reserveFileLengthHook(length))
            return injected;
    // Blocks for the whole range the moves write, holes of a sparse file included: every later
    // write lands on a block the file already owns.
    from = std::min(from, length - 1);
    int error = ::posix_fallocate(fd, static_cast<off_t>(from), static_cast<off_t>(length - from));
    if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) {
        // No reservation here: writing the last byte at least makes sure the length can be had.
        const char zero = 0;
        error = ::pwrite(fd, &zero, 1, static_cast<off_t>(length - 1)) == 1 ? 0 : (errno ? errno : ENOSPC);
    }
    if (error != 0) {
        // A partly successful reservation may have grown the file: give the length back.
        struct stat now {};
        if (::fstat(fd, &now) == 0 && now.st_size != old)
            (void)::ftruncate(fd, old);
        return error;
    }
    return 0;
}

int64_t FreeBytesAt(const QString& path)
{
    QString where = path;
    if (!StatPath(where).exists) {
        // A file still to be made: the folder that will hold it.
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        where = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
    }
    struct statvfs vfs {};
    if (::statvfs(PathToNative(where).constData(), &vfs) != 0)
        return -1;
    return static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
}
