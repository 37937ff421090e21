// Reading and writing a structure's bytes in the active document.
#include "structs/DocStructBytes.h"

#include "base/Prompter.h"
#include "document/ByteSource.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"

#include <QCoreApplication>
#include <QTimer>

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
            ReportReadError(PathForDisplay(m_doc->PathName()) + QLatin1Char('\n') + error);
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
        ReportReadError(PathForDisplay(m_doc->PathName()) + QLatin1Char('\n') + ShortReadText());
    }
}

void DocStructBytes::ReportReadError(const QString& text)
{
    if (!m_reportLater || !QCoreApplication::instance()) {
        Prompter::ShowError(text);
        return;
    }
    // The reader may be gone by then: the text travels by value.
    QTimer::singleShot(0, QCoreApplication::instance(), [text] { Prompter::ShowError(text); });
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
    return WriteInMemory(address, src, n);
}

bool DocStructBytes::WriteInMemory(uint64_t address, const uint8_t* src, size_t n)
{
    // One undo record per edit: it writes back the bytes overwritten and removes what the edit
    // appended (zeros up to the field and the field's own bytes past the old end), so Ctrl+Z takes
    // the edit back and every older record still finds its bytes at their addresses.
    const QString noMemory = QStringLiteral("メモリが不足しています。");
    const uint64_t size = m_doc->GetFileSize();
    const uint64_t end = address + n;
    if (end < address || end >= 0x80000000ull) { // the in-memory store stays below 2 GiB
        Prompter::ShowError(noMemory);
        return false;
    }
    const size_t inside = address < size ? size_t(std::min<uint64_t>(n, size - address)) : 0;
    const size_t grown = end > size ? size_t(end - size) : 0;
    const uint64_t at = std::min(address, size);
    std::vector<uint8_t> old;
    std::vector<uint8_t> tail;
    try {
        old.resize(inside);
        tail.assign(grown, 0);
    } catch (const std::exception&) {
        Prompter::ShowError(noMemory);
        return false;
    }
    if (inside)
        m_doc->ReadBytes(address, old.data(), inside);
    if (grown)
        std::memcpy(tail.data() + (grown - (n - inside)), src + inside, n - inside);
    const auto outcome = m_doc->Record(false, uint32_t(at), old.data(), int32_t(inside), int32_t(grown));
    if (outcome == CQuorvaneDoc::RecordOutcome::Abandon)
        return false;
    // The store grows first: when that fails, no byte has changed and the record is taken back.
    if (grown && !m_doc->InsertBytes(size, tail.data(), grown)) {
        if (outcome == CQuorvaneDoc::RecordOutcome::Recorded)
            m_doc->DropNewestUndo();
        Prompter::ShowError(noMemory);
        return false;
    }
    if (inside)
        m_doc->OverwriteBytes(address, src, inside);
    m_doc->SyncFileSize();
    m_doc->SetModifiedFlag(true);
    return true;
}
