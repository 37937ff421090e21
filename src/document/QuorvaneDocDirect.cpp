// Direct edit mode: the window of rows on screen, and writes and removals in the file on disk.
#include "document/QuorvaneDoc.h"

#include "app/Prompter.h"

#include <QFile>
#include <memory>
#include <new>

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
    return true;
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

} // namespace

void CQuorvaneDoc::SetWindowRows(uint64_t firstRow, int rowsOnScreen)
{
    m_windowFirstRow = firstRow;
    m_windowRows = rowsOnScreen;
}

bool CQuorvaneDoc::LoadWindow(uint64_t firstRow, int rowsOnScreen)
{
    SetWindowRows(firstRow, rowsOnScreen);
    return LoadWindow();
}

bool CQuorvaneDoc::LoadWindow()
{
    QFile file(m_pathName);
    if (!file.open(QIODevice::ReadOnly)) {
        // A vanished file fails every scroll: say so once, not at every step.
        if (!m_windowFailed)
            Prompter::ShowError(FailureText(file));
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
    Q_EMIT fileSizeChanged(m_fileSize);
    Q_EMIT windowLoaded();
    return true;
}

bool CQuorvaneDoc::DiskWrite(uint64_t address, const uint8_t* data, size_t n, bool insert, bool reload)
{
    Q_EMIT bytesAboutToChange();
    if (n == 0)
        return reload && m_windowRows > 0 ? LoadWindow() : true;
    QFile file(m_pathName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    const uint64_t oldLength = static_cast<uint64_t>(file.size());
    if (address > oldLength)
        address = oldLength;
    if (insert) {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBlock]);
        if (!buffer) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        }
        if (!file.resize(static_cast<qint64>(oldLength + n))) {
            Prompter::ShowError(FailureText(file));
            return false;
        }
        // Blocks move from the end towards the insertion point, so none overwrites bytes that
        // are still to be moved.
        uint64_t end = oldLength;
        bool ok = true;
        while (ok && end >= kBlock && end - kBlock > address) {
            ok = MoveBlock(file, buffer.get(), end - kBlock, end - kBlock + n, kBlock);
            end -= kBlock;
        }
        if (ok && end > address)
            ok = MoveBlock(file, buffer.get(), address, address + n, end - address);
        if (!ok) {
            Prompter::ShowError(FailureText(file));
            return false;
        }
    }
    if (!WriteFully(file, address, data, n)) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    m_fileSize = static_cast<uint64_t>(file.size());
    file.close();
    if (reload && m_windowRows > 0)
        return LoadWindow();
    Q_EMIT fileSizeChanged(m_fileSize);
    return true;
}

bool CQuorvaneDoc::DiskRemove(uint64_t address, uint64_t n)
{
    Q_EMIT bytesAboutToChange();
    QFile file(m_pathName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    const uint64_t length = static_cast<uint64_t>(file.size());
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
    while (ok && from + kBlock < length) {
        ok = MoveBlock(file, buffer.get(), from, from - n, kBlock);
        from += kBlock;
    }
    if (ok)
        ok = MoveBlock(file, buffer.get(), from, from - n, length - from);
    if (ok)
        ok = file.resize(static_cast<qint64>(length - n));
    if (!ok) {
        Prompter::ShowError(FailureText(file));
        return false;
    }
    m_fileSize = length - n;
    file.close();
    if (m_windowRows <= 0) {
        // No view shows rows of this document: the change is on disk, nothing to re-read.
        Q_EMIT fileSizeChanged(m_fileSize);
        return true;
    }
    return LoadWindow();
}
