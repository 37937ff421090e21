// Complete, synced files renamed over their targets; backups made the same way.
#include "document/SafeFileWriter.h"

#include "document/AlignedBuffer.h"

#include "base/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <climits>
#include <csignal>
#include <dirent.h>
#include <unistd.h>
#endif

std::function<int(SafeFileWriter::Step)> SafeFileWriter::s_failureHook;

namespace {

constexpr qint64 kCopyBlock = 8 * 1024 * 1024;
constexpr qint64 kMaxWrite = 1 << 30; // one system write at most (Linux stops near 2 GiB)

int Injected(SafeFileWriter::Step step)
{
    return SafeFileWriter::s_failureHook ? SafeFileWriter::s_failureHook(step) : 0;
}

#ifdef _WIN32
std::wstring Wide(const QByteArray& utf8)
{
    return QString::fromUtf8(utf8).toStdWString();
}
int OpenFor(const QByteArray& path, int flags, int mode)
{
    return ::_wopen(Wide(path).c_str(), flags | _O_BINARY, mode);
}
int SyncFd(int fd) { return ::_commit(fd); }
int CloseFd(int fd) { return ::_close(fd); }
long WriteFd(int fd, const char* p, qint64 n) { return ::_write(fd, p, unsigned(n)); }
long ReadFd(int fd, char* p, qint64 n) { return ::_read(fd, p, unsigned(n)); }
int RenameOver(const QByteArray& from, const QByteArray& to)
{
    if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = EACCES;
    return -1;
}
int SyncFolderOf(const QByteArray&) { return 0; } // MOVEFILE_WRITE_THROUGH has flushed it
int Unlink(const QByteArray& path) { return ::_wunlink(Wide(path).c_str()); }
#else
int OpenFor(const QByteArray& path, int flags, int mode)
{
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
int SyncFd(int fd) { return ::fsync(fd); }
int CloseFd(int fd) { return ::close(fd); }
long WriteFd(int fd, const char* p, qint64 n) { return ::write(fd, p, size_t(n)); }
long ReadFd(int fd, char* p, qint64 n) { return ::read(fd, p, size_t(n)); }
int RenameOver(const QByteArray& from, const QByteArray& to) { return ::rename(from.constData(), to.constData()); }
int Unlink(const QByteArray& path) { return ::unlink(path.constData()); }

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

int SyncFolderOf(const QByteArray& path)
{
    const int fd = OpenFor(FolderOf(path), O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0)
        return -1;
    int r = ::fsync(fd);
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    if (r != 0 && (errno == EINVAL || errno == ENOTSUP))
        r = 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return r;
}
#endif

// The file a write to `path` replaces: links are followed, so the link itself stays. A link to
// a name that does not exist yet is followed too: the new file is made where it points.
QByteArray ResolveTarget(const QByteArray& path)
{
#ifndef _WIN32
    QByteArray current = path;
    for (int hop = 0; hop < 40; ++hop) { // the system's own limit on links in a row
        struct stat st {};
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char resolved[PATH_MAX];
        if (::realpath(current.constData(), resolved))
            return QByteArray(resolved);
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(current.constData(), link.data(), size_t(link.size()));
        if (n <= 0 || n >= link.size())
            return current;
        link.truncate(n);
        current = link.startsWith('/') ? link : FolderOf(current) + '/' + link;
    }
    return current;
#else
    return path;
#endif
}

#ifndef _WIN32
// Temporary files are named "<target>.<pid>-<tag>.qvtmp": the writer's process id tells a file
// whose writer has died (killed, crashed, powered off) from one being written right now.
QByteArray TemporaryName(const QByteArray& final)
{
    return final + '.' + QByteArray::number(qint64(::getpid())) + '-'
         + QByteArray::number(QRandomGenerator::global()->generate() % 0x1000000, 36) + ".qvtmp";
}

// Removes the temporary files of `final` left by writers that no longer run. Files of a live
// process, of another user's process, or in another form are left alone.
void RemoveStaleTemporaries(const QByteArray& final)
{
    const QByteArray folder = FolderOf(final);
    const qsizetype slash = final.lastIndexOf('/');
    const QByteArray prefix = (slash < 0 ? final : final.mid(slash + 1)) + '.';
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray suffix(".qvtmp");
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(suffix) || name.size() <= prefix.size() + suffix.size())
            continue;
        const QByteArray middle = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        const qsizetype dash = middle.indexOf('-');
        if (dash <= 0 || middle.contains('.'))
            continue;
        bool ok = false;
        const qint64 pid = middle.left(dash).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == qint64(::getpid()) || pid > INT_MAX)
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue; // running (or not ours to ask about)
        ::unlinkat(::dirfd(dir), name.constData(), 0);
    }
    ::closedir(dir);
}
#else
QByteArray TemporaryName(const QByteArray& final)
{
    return final + '.' + QByteArray::number(QRandomGenerator::global()->generate() % 0x1000000, 36) + ".qvtmp";
}
void RemoveStaleTemporaries(const QByteArray&) {}
#endif

QString NotRegularText(const QString& path)
{
    return QStringLiteral("%1 は通常のファイルではありません。").arg(PathForDisplay(path));
}

// Writes all n bytes to fd; false with errno set.
bool WriteAll(int fd, const char* data, qint64 n)
{
    while (n > 0) {
        if (const int e = Injected(SafeFileWriter::Step::Write)) {
            errno = e;
            return false;
        }
        const long put = WriteFd(fd, data, std::min(n, kMaxWrite));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        data += put;
        n -= put;
    }
    return true;
}

} // namespace

QString SystemErrorText(int error)
{
    return qt_error_string(error);
}

bool IsWritableTarget(const QString& path, QString* error)
{
    const PathFacts facts = StatPath(path);
    if (!facts.exists || facts.isFile)
        return true;
    if (error)
        *error = NotRegularText(path);
    return false;
}

SafeFileWriter::SafeFileWriter(const QString& target) : m_target(target) {}

SafeFileWriter::~SafeFileWriter()
{
    Cancel();
}

bool SafeFileWriter::Fail(int error)
{
    if (m_error.isEmpty())
        m_error = SystemErrorText(error);
    Cancel();
    return false;
}

bool SafeFileWriter::Open()
{
    Cancel();
    m_error.clear();
    m_written = 0;
    m_committed = false;
    if (!IsWritableTarget(m_target, &m_error))
        return false;
    m_final = ResolveTarget(PathToNative(m_target));
    RemoveStaleTemporaries(m_final);

    int mode = 0666; // a new file: what the umask leaves of it
    struct stat old {};
    const bool replacing = ::stat(m_final.constData(), &old) == 0;
    m_replacing = replacing;
    if (replacing)
        mode = int(old.st_mode & 07777);

    if (const int e = Injected(Step::Create))
        return Fail(e);
    // A fresh name beside the target, so that the rename stays on one file system.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = TemporaryName(m_final);
        m_fd = OpenFor(m_temp, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int e = errno;
        m_temp.clear();
        return Fail(e);
    }
#ifndef _WIN32
    if (replacing) {
        // The umask may have taken bits the old file had; an owner other than us is kept where
        // the system lets us (as root).
        (void)!::fchmod(m_fd, old.st_mode & 07777);
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(m_fd, old.st_uid, old.st_gid);
    }
#endif
    return true;
}

bool SafeFileWriter::Write(const void* data, qint64 n)
{
    if (m_fd < 0) {
        if (m_error.isEmpty())
            m_error = SystemErrorText(EBADF);
        return false;
    }
    if (n <= 0)
        return true;
    if (!WriteAll(m_fd, static_cast<const char*>(data), n))
        return Fail(errno);
    m_written += n;
    return true;
}

bool SafeFileWriter::Flush()
{
    if (m_flushed)
        return true;
    if (m_fd < 0) {
        if (m_error.isEmpty())
            m_error = SystemErrorText(EBADF);
        return false;
    }
    // A full disk may show itself only here (delayed allocation, network file systems).
    if (const int e = Injected(Step::Sync))
        return Fail(e);
    if (SyncFd(m_fd) != 0)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    const int injectedClose = Injected(Step::Close);
    if (CloseFd(fd) != 0 || injectedClose) {
        const int e = injectedClose ? injectedClose : errno;
        return Fail(e);
    }
    m_flushed = true;
    return true;
}

bool SafeFileWriter::Commit()
{
    if (!Flush())
        return false;
    m_flushed = false;
    if (const int e = Injected(Step::Rename))
        return Fail(e);
    if (RenameOver(m_temp, m_final) != 0)
        return Fail(errno);
    m_temp.clear();
    m_committed = true;
    // The new name must be on disk too, or a power loss could bring back the old directory entry.
    const int injectedSync = Injected(Step::FolderSync);
    if (injectedSync || SyncFolderOf(m_final) != 0) {
        m_error = SystemErrorText(injectedSync ? injectedSync : errno);
        return false;
    }
    return true;
}

bool SafeFileWriter::WriteFrom(const QString& source, const std::function<bool(qint64 copied)>& progress)
{
    if (m_fd < 0)
        return Write(nullptr, 1); // reports the closed writer
    const int in = OpenFor(PathToNative(source), O_RDONLY, 0);
    if (in < 0)
        return Fail(errno);
#ifndef _WIN32
    // A copy of a private file stays private.
    struct stat st {};
    if (!m_replacing && ::fstat(in, &st) == 0)
        (void)!::fchmod(m_fd, st.st_mode & 07777);
#endif
    // Whole blocks from offset 0 into a page-aligned buffer: every read lands page to page.
    AlignedBuffer buffer;
    try {
        buffer.Reserve(kCopyBlock);
    } catch (const std::bad_alloc&) {
        CloseFd(in);
        return Fail(ENOMEM);
    }
    char* const chars = reinterpret_cast<char*>(buffer.Data());
    bool ok = true;
    while (ok) {
        const long got = ReadFd(in, chars, kCopyBlock);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            CloseFd(in);
            return Fail(e);
        }
        if (got == 0)
            break;
        ok = Write(chars, got);
        if (ok && progress && !progress(m_written)) {
            CloseFd(in);
            return false;
        }
    }
    CloseFd(in);
    return ok;
}

QString SafeFileWriter::TemporaryPath() const
{
    return m_temp.isEmpty() ? QString() : PathFromNative(m_temp);
}

void SafeFileWriter::Cancel()
{
    m_flushed = false;
    if (m_fd >= 0) {
        CloseFd(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        Unlink(m_temp);
        m_temp.clear();
    }
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error)
{
    SafeFileWriter out(path);
    if (out.Open() && out.Write(bytes) && out.Commit())
        return true;
    if (error)
        *error = out.ErrorString();
    return false;
}

bool CopyFileSafely(const QString& source, const QString& target, QString* error)
{
    SafeFileWriter out(target);
    if (out.Open() && out.WriteFrom(source) && out.Commit())
        return true;
    if (error)
        *error = out.ErrorString();
    return false;
}

bool MakeBackup(const QString& path, const QString& backup, bool mayShare, QString* error)
{
    if (!IsWritableTarget(backup, error))
        return false;
#ifndef _WIN32
    if (mayShare) {
        // A second name for the current file, made under a temporary name and renamed over the
        // older backup: no bytes move, and the older backup stays until the new one exists.
        const QByteArray source = ResolveTarget(PathToNative(path));
        const QByteArray final = ResolveTarget(PathToNative(backup));
        RemoveStaleTemporaries(final);
        struct stat from {};
        struct stat to {};
        // Already a second name of the file (an earlier run stopped after making it): done. A
        // rename between two names of one file would do nothing and leave the temporary name.
        if (::stat(source.constData(), &from) == 0 && ::lstat(final.constData(), &to) == 0 && from.st_dev == to.st_dev
            && from.st_ino == to.st_ino)
            return true;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray temp = TemporaryName(final);
            if (::link(source.constData(), temp.constData()) != 0) {
                if (errno == EEXIST)
                    continue;
                break; // no links here (FAT, some network shares): copy instead
            }
            const int renamed = ::rename(temp.constData(), final.constData());
            const int e = errno;
            ::unlink(temp.constData()); // gone after a rename, unless both names were one file
            if (renamed != 0) {
                if (error)
                    *error = SystemErrorText(e);
                return false;
            }
            if (SyncFolderOf(final) != 0) {
                if (error)
                    *error = SystemErrorText(errno);
                return false;
            }
            return true;
        }
    }
#else
    Q_UNUSED(mayShare);
#endif
    return CopyFileSafely(path, backup, error);
}
