// Reading and writing a structure's bytes in the active document.
#include "structs/DocStructBytes.h"

#include "app/Prompter.h"
#include "document/ByteSource.h"
#include "document/NativePath.h"
#include "document/QuorvaneDoc.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

DocStructBytes::DocStructBytes(CQuorvaneDoc* doc) : m_doc(doc) {}

uint64_t DocStructBytes::FileSize() const
{
    return m_doc ? m_doc->GetFileSize() : 0;
}

void DocStructBytes::Read(uint64_t address, uint8_t* dst, size_t n)
{
    std::memset(dst, 0, n);
    if (!m_doc || n == 0)
        return;
    if (!m_doc->IsDirectEdit()) {
        m_doc->ReadBytes(address, dst, n);
        return;
    }
    // Direct edit: only the rows on screen are in memory, so read the file itself.
    if (!m_file.isOpen()) {
        if (m_openFailed)
            return;
        QString error;
        if (!OpenNativeFile(m_file, m_doc->PathName(), QIODevice::ReadOnly, &error)) {
            m_openFailed = true;
            Prompter::ShowError(PathForDisplay(m_doc->PathName()) + QLatin1Char('\n') + error);
            return;
        }
    }
    // Bytes past the end read as zeros; bytes the file should hold but does not give are a
    // failure, said once, never shown as zeros.
    const uint64_t size = m_doc->GetFileSize();
    if (address >= size)
        return;
    const qint64 want = qint64(std::min<uint64_t>(n, size - address));
    qint64 got = m_file.seek(qint64(address)) ? 0 : -1;
    while (got >= 0 && got < want) {
        const qint64 r = m_file.read(reinterpret_cast<char*>(dst) + got, want - got);
        if (r <= 0) {
            got = -1;
            break;
        }
        got += r;
    }
    if (got < 0 && !m_readFailed) {
        m_readFailed = true;
        Prompter::ShowError(PathForDisplay(m_doc->PathName()) + QLatin1Char('\n') + ShortReadText());
    }
}

bool DocStructBytes::Write(uint64_t address, const uint8_t* src, size_t n)
{
    if (!m_doc || !m_doc->IsEditable() || n == 0)
        return false;
    if (m_doc->IsDirectEdit()) {
        m_file.close(); // the next read sees the new bytes
        const uint64_t length = m_doc->GetFileSize();
        if (address <= length)
            return m_doc->DiskWrite(address, src, n, false, true);
        // Past the end: the gap up to the field is filled with zeros in the same write.
        std::vector<uint8_t> padded;
        try {
            padded.assign(size_t(address - length) + n, 0);
        } catch (const std::bad_alloc&) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        } catch (const std::length_error&) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        }
        std::memcpy(padded.data() + (address - length), src, n);
        return m_doc->DiskWrite(length, padded.data(), padded.size(), false, true);
    }
    const uint64_t size = m_doc->GetFileSize();
    const uint64_t end = address + n;
    if (end > size) {
        bool grown = false;
        if (end - size < 0x80000000ull) {
            try {
                std::vector<uint8_t> zeros(size_t(end - size), 0);
                grown = m_doc->InsertBytes(size, zeros.data(), zeros.size());
            } catch (const std::bad_alloc&) {
                grown = false;
            }
        }
        if (!grown) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        }
        m_doc->SyncFileSize();
    }
    m_doc->OverwriteBytes(address, src, n);
    m_doc->SetModifiedFlag(true);
    return true;
}
