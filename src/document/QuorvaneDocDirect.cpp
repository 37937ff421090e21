// Direct edit mode: the window of rows on screen, and writes and removals in the file on disk.
#include "document/QuorvaneDoc.h"

#include "base/Prompter.h"
#include "base/NativePath.h"
#include "document/FileGrowth.h"
#include "document/SafeFileWriter.h"

#include <QFile>
#include <memory>
#include <new>
#include <sys/stat.h>

namespace {

constexpr uint64_t kBlock = 0x100000; // tails move through one buffer of this size

bool ReadFully(QFile& f, uint64_t at, uint8_t* dst, uint64_t n)
{
    if (!f.seek(static_cast<qint64>(at)))
        return false;
    uint64_t done = 0;
    while (done < n) {
        const qint64 got = f.read(reinterpret_cast<char*>(dst + done), static_cast<qint64>(n - done));
        if (got <= 0)
            return false;
        done += static_cast<uint64_t>(got);
    }
    return true;
}

bool WriteFully(QFile& f, uint64_t at, const uint8_t* src, uint64_t n)
{
    if (!f.seek(static_cast<qint64>(at)))
        return false;
    uint64_t done = 0;
    while (done < n) {
        const qint64 put = f.write(reinterpret_cast<const char*>(src + done), static_cast<qint64>(n - done));
        if (put <= 0)
            return false;
        done += static_cast<uint64_t>(put);
    }
    // Out of the file object's buffer now: a failure shows here, and the file's length seen by
    // the checks between moves is the length just written.
    return f.flush();
}

// Moves [from, from + n) to `to` through `buffer` (n <= kBlock).
bool MoveBlock(QFile& f, uint8_t* buffer, uint64_t from, uint64_t to, uint64_t n)
{
    return n == 0 || (ReadFully(f, from, buffer, n) && WriteFully(f, to, buffer, n));
}

QString FailureText(const QFile& f)
{
    QString text = f.errorString();
    return text.isEmpty() ? QStringLiteral("ファイルの読み書きに失敗しました。") : text;
}

struct FileIdentity
{
    bool known = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t length = 0;
};

FileIdentity IdentityOf(const QFile& file)
{
    FileIdentity id;
#ifndef _WIN32
    struct stat st {};
    if (::fstat(file.handle(), &st) == 0) {
        id.known = true;
        id.device = static_cast<uint64_t>(st.st_dev);
        id.inode = static_cast<uint64_t>(st.st_ino);
        id.length = static_cast<uint64_t>(st.st_size);
        return id;
    }
#endif
    id.length = static_cast<uint64_t>(file.size());
    return id;
}

} // namespace

std::function<void(uint64_t)> CQuorvaneDoc::s_blockMoveHook;

void CQuorvaneDoc::NoteFileIdentity(const QFile& file)
{
    ReadFileIdentity(file, m_fileDevice, m_fileInode);
}

void CQuorvaneDoc::ReadFileIdentity(const QFile& file, uint64_t& device, uint64_t& inode)
{
    const FileIdentity id = IdentityOf(file);
    device = id.device;
    inode = id.inode;
}

bool CQuorvaneDoc::StillOurFile(const QFile& file, uint64_t expected)
{
    const FileIdentity id = IdentityOf(file);
    const bool sameFile = !id.known || (m_fileDevice == 0 && m_fileInode == 0)
                       || (id.device == m_fileDevice && id.inode == m_fileInode);
    if (sameFile && id.length == expected)
        return true;
    // Writing on would fill a file that another program cut short with zeros again, or move
    // bytes of a different file: stop here and leave the file as it is now.
    const QString what = !sameFile
        ? QStringLiteral("%1\nは編集中にほかのファイルに置き換えられました。処理を中止しました。").arg(PathForDisplay(m_pathName))
        : QStringLiteral("%1\nは編集中にほかのプログラムによって長さが変更されました (%2 バイトのはずが %3 バイト)。処理を中止しました。")
              .arg(PathForDisplay(m_pathName)).arg(expected).arg(id.length);
    Prompter::ShowError(what);
    return false;
}

void CQuorvaneDoc::SetWindowRows(uint64_t firstRow, int rowsOnScreen)
{
    m_windowFirstRow = firstRow;
    m_windowRows = rowsOnScreen;
}

size_t CQuorvaneDoc::ReadFromDisk(uint64_t address, uint8_t* dst, size_t n) const
{
    QFile file;
    if (n == 0 || !OpenNativeFile(file, m_pathName, QIODevice::ReadOnly) || !file.seek(static_cast<qint64>(address)))
        return 0;
    size_t done = 0;
    while (done < n) {
        const qint64 got = file.read(reinterpret_cast<char*>(dst + done), static_cast<qint64>(n - done));
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool CQuorvaneDoc::LoadWindow(uint64_t firstRow, int rowsOnScreen)
{
    SetWindowRows(firstRow, rowsOnScreen);
    return LoadWindow();
}

bool CQuorvaneDoc::LoadWindow()
{
    QFile file;
    QString openError;
    if (!OpenNativeFile(file, m_pathName, QIODevice::ReadOnly, &openError)) {
        // A vanished file fails every scroll: say so once, not at every step.
        if (!m_windowFailed)
            Prompter::ShowError(openError);
        m_windowFailed = true;
        return false;
    }
    m_windowFailed = false;
    const uint64_t length = static_cast<uint64_t>(file.size());
    const int64_t want = static_cast<int64_t>(m_windowRows) * 16 - 16;
    if (want < 0)
        return false;
    const uint64_t top = m_windowFirstRow * 16;
    uint64_t n = static_cast<uint64_t>(want);
    if (top >= length)
        n = 0;
    else if (top + n > length)
        n = length - top;

    ByteStore fresh;
    if (!fresh.ResizeZeroed(static_cast<size_t>(n))) {
        Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
        return false;
    }
    if (n && !ReadFully(file, top, fresh.RawForLoading(), n)) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    m_bytes = std::move(fresh);
    m_fileSize = length;
    NoteFileIdentity(file);
    Q_EMIT fileSizeChanged(m_fileSize);
    Q_EMIT windowLoaded();
    return true;
}

bool CQuorvaneDoc::DiskWrite(uint64_t address, const uint8_t* data, size_t n, bool insert, bool reload)
{
    Q_EMIT bytesAboutToChange();
    m_diskTouched = false;
    if (n == 0)
        return reload && m_windowRows > 0 ? LoadWindow() : true;
    QFile file;
    QString openError;
    if (!OpenNativeFile(file, m_pathName, QIODevice::ReadWrite | QIODevice::ExistingOnly, &openError)) {
        Prompter::ShowError(openError);
        return false;
    }
    const uint64_t oldLength = m_fileSize;
    if (!StillOurFile(file, oldLength))
        return false;
    if (address > oldLength)
        address = oldLength;
    if (insert) {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBlock]);
        if (!buffer) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        }
        // The room for the new length is taken first: when the disk cannot give it, nothing has
        // moved and the file is as it was. Without it a full disk would stop the moves half-way,
        // leaving a file longer by n with only its last blocks shifted.
        if (const int error = ReserveFileLength(file.handle(), address, oldLength + n)) {
            Prompter::ShowError(QStringLiteral("%1\nに %2 バイトを挿入する領域を確保できませんでした。ファイルは変更されていません。\n%3")
                                    .arg(PathForDisplay(m_pathName)).arg(n).arg(SystemErrorText(error)));
            return false;
        }
        m_diskTouched = true;
        // Blocks move from the end towards the insertion point, so none overwrites bytes that
        // are still to be moved.
        // The length is checked before every move, so that a file cut short meanwhile is left as
        // it is instead of being filled up with zeros.
        const uint64_t newLength = oldLength + n;
        uint64_t end = oldLength;
        bool ok = true;
        auto move = [&](uint64_t from, uint64_t count) {
            if (s_blockMoveHook)
                s_blockMoveHook(from);
            if (!StillOurFile(file, newLength))
                return false;
            if (!MoveBlock(file, buffer.get(), from, from + n, count)) {
                Prompter::ShowError(FailureText(file));
                return false;
            }
            return true;
        };
        while (ok && end >= kBlock && end - kBlock > address) {
            ok = move(end - kBlock, kBlock);
            end -= kBlock;
        }
        if (ok && end > address)
            ok = move(address, end - address);
        if (!ok)
            return false;
        if (!StillOurFile(file, newLength))
            return false;
    }
    if (!insert && address + n > oldLength) {
        // An overwrite that runs past the end grows the file too: take the room first, so that
        // a full disk cannot leave part of the bytes appended.
        if (const int error = ReserveFileLength(file.handle(), oldLength, address + n)) {
            Prompter::ShowError(QStringLiteral("%1\nに %2 バイトを書き込む領域を確保できませんでした。ファイルは変更されていません。\n%3")
                                    .arg(PathForDisplay(m_pathName)).arg(n).arg(SystemErrorText(error)));
            return false;
        }
    }
    m_diskTouched = true;
    if (!WriteFully(file, address, data, n)) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    m_fileSize = insert ? oldLength + n : std::max<uint64_t>(oldLength, address + n);
    if (!StillOurFile(file, m_fileSize))
        return false;
    file.close();
    if (reload && m_windowRows > 0)
        return LoadWindow();
    Q_EMIT fileSizeChanged(m_fileSize);
    return true;
}

bool CQuorvaneDoc::DiskRemove(uint64_t address, uint64_t n)
{
    Q_EMIT bytesAboutToChange();
    m_diskTouched = false;
    QFile file;
    QString openError;
    if (!OpenNativeFile(file, m_pathName, QIODevice::ReadWrite | QIODevice::ExistingOnly, &openError)) {
        Prompter::ShowError(openError);
        return false;
    }
    const uint64_t length = m_fileSize;
    if (!StillOurFile(file, length))
        return false;
    if (address >= length || n == 0)
        return LoadWindow();
    n = std::min(n, length - address);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBlock]);
    if (!buffer) {
        Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
        return false;
    }
    uint64_t from = address + n;
    bool ok = true;
    auto move = [&](uint64_t count) {
        if (s_blockMoveHook)
            s_blockMoveHook(from);
        if (!StillOurFile(file, length))
            return false;
        m_diskTouched = true;
        if (!MoveBlock(file, buffer.get(), from, from - n, count)) {
            Prompter::ShowError(FailureText(file));
            return false;
        }
        return true;
    };
    while (ok && from + kBlock < length) {
        ok = move(kBlock);
        from += kBlock;
    }
    if (ok)
        ok = move(length - from);
    if (ok && !StillOurFile(file, length))
        ok = false;
    else if (ok && !file.resize(static_cast<qint64>(length - n))) {
        Prompter::ShowError(FailureText(file));
        ok = false;
    }
    if (!ok)
        return false;
    m_fileSize = length - n;
    file.close();
    if (m_windowRows <= 0) {
        // No view shows rows of this document: the change is on disk, nothing to re-read.
        Q_EMIT fileSizeChanged(m_fileSize);
        return true;
    }
    return LoadWindow();
}
