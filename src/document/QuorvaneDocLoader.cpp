// The document's background loader: reads the bytes behind the first megabyte.
#include "document/QuorvaneDoc.h"

#include "base/NativePath.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
// The rest of the file arrives in ten parts; each part is read in slices of this size so that the
// loaded mark advances smoothly and a stop request is seen quickly.
constexpr uint64_t kSlice = 16 * 1024 * 1024;

// Reads up to n bytes at `offset`; fewer only at the end of the file. -1 on a failure.
qint64 ReadAt(QFile& file, uint64_t offset, uint8_t* dst, uint64_t n, QString& error)
{
#ifdef Q_OS_UNIX
    uint64_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(file.handle(), dst + done, static_cast<size_t>(n - done),
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<uint64_t>(got);
    }
    return static_cast<qint64>(done);
#else
    const qint64 got = file.seek(static_cast<qint64>(offset)) ? file.read(reinterpret_cast<char*>(dst), static_cast<qint64>(n)) : -1;
    if (got < 0)
        error = file.errorString();
    return got;
#endif
}
} // namespace

std::function<void(const QString&)> CQuorvaneDoc::s_loaderStartHook;

void CQuorvaneDoc::StartLoader()
{
    // Edits are kept out before the thread exists, so nothing can resize the store under it.
    m_lockBeforeLoading.store(m_editLock.load());
    SetEditLock(2);
    m_stopLoading.store(false);
    m_loadedUpTo.store(kFirstRead, std::memory_order_release);
    m_loaderRunning.store(true);
    m_loaderThread = std::thread(&CQuorvaneDoc::LoaderThread, this, m_pathName, m_fileSize);
}

void CQuorvaneDoc::LoaderThread(QString path, uint64_t length)
{
    if (s_loaderStartHook)
        s_loaderStartHook(path);
    QFile file;
    QString failure;
    if (!OpenNativeFile(file, path, QIODevice::ReadOnly, &failure)) {
    } else if (!file.seek(static_cast<qint64>(kFirstRead))) {
        failure = file.errorString();
    } else {
        uint8_t* store = m_bytes.RawForLoading();
        const uint64_t rest = length - kFirstRead;
        const uint64_t chunk = rest / 10;
        uint64_t pos = kFirstRead;
        for (int i = 1; i <= 10 && !m_stopLoading.load() && failure.isEmpty(); ++i) {
            const uint64_t want = i == 10 ? rest - 9 * chunk : chunk;
            const uint64_t end = pos + want;
            while (pos < end && !m_stopLoading.load()) {
                const uint64_t n = std::min(kSlice, end - pos);
                // The store is page aligned: store + pos agrees with the file offset pos modulo
                // the page size, the condition for the kernel's fast copy.
                m_bytes.PrepareForLoading(static_cast<size_t>(pos), static_cast<size_t>(n));
                QString readError;
                const qint64 got = ReadAt(file, pos, store + pos, n, readError);
                if (got < 0) {
                    failure = readError;
                    break;
                }
                if (static_cast<uint64_t>(got) < n) {
                    // The file shrank (or vanished) while it was being read.
                    pos += static_cast<uint64_t>(got);
                    m_loadedUpTo.store(pos, std::memory_order_release);
                    failure = QStringLiteral("%1\nは読み込み中に変更されたため、最後まで読み込めませんでした。").arg(PathForDisplay(path));
                    break;
                }
                pos += n;
                m_loadedUpTo.store(pos, std::memory_order_release);
            }
        }
    }

    if (!failure.isEmpty()) {
        // The store holds zeros where the file could not be read: it stays locked, and saving it
        // over a file is refused, so the gap is never written to disk as if it were data.
        m_incomplete.store(true);
        m_loaderRunning.store(false);
        Q_EMIT loaderFailed(failure);
        Q_EMIT loadingFinished();
        return;
    }
    if (m_stopLoading.load())
        m_incomplete.store(true); // stopped early: the rest of the store is not the file's
    else
        m_loadedUpTo.store(kNone, std::memory_order_release);
    // The running flag goes first: an edit let in by the lock must find the store free to
    // change, or it would leave an undo record for an edit that InsertBytes then refuses.
    m_loaderRunning.store(false);
    RestoreLockAfterLoading();
    Q_EMIT loadingFinished();
}

void CQuorvaneDoc::RestoreLockAfterLoading()
{
    // Only the loading lock is lifted: when the user-interface thread has set the lock since the
    // running flag fell (ApplyGroupSettings), its value stands.
    uint32_t loading = 2;
    const uint32_t lock = m_lockBeforeLoading.load();
    if (m_editLock.compare_exchange_strong(loading, lock) && lock != 2)
        Q_EMIT editLockChanged(lock);
}

void CQuorvaneDoc::StopLoader()
{
    Q_EMIT bytesAboutToChange(); // reopening, reloading and closing give up the store
    m_stopLoading.store(true);
    if (m_loaderThread.joinable())
        m_loaderThread.join();
    m_stopLoading.store(false);
}

void CQuorvaneDoc::WaitForLoader()
{
    if (m_loaderThread.joinable())
        m_loaderThread.join();
}
