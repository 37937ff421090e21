// Typing, deleting and pasting bytes in memory (journaled) and in direct edit mode (on disk).
#include "view/ByteEditor.h"

#include "base/Prompter.h"
#include "codes/TextEncoder.h"
#include "document/QuorvaneDoc.h"

#include <QFile>

namespace {

using Outcome = CQuorvaneDoc::RecordOutcome;

uint32_t Low32(uint64_t a)
{
    return static_cast<uint32_t>(a);
}

TypedBytes Encode(uint32_t value, CharCode code)
{
    return EncodeTypedChar(static_cast<char16_t>(value), code);
}

} // namespace

bool CByteEditor::TypeInput(EditCaret& caret, uint32_t value)
{
    if (!m_doc.IsEditable())
        return false;
    if (caret.cursor > m_doc.GetFileSize()) {
        // The file became shorter under this caret (another view, a reload): type at its end.
        caret.cursor = m_doc.GetFileSize();
        caret.lowNibble = false;
    }
    const bool done = m_doc.IsDirectEdit() ? TypeDirect(caret, value) : TypeInMemory(caret, value);
    if (done)
        caret.lowNibble = !caret.lowNibble;
    return done;
}

bool CByteEditor::TypeDirect(EditCaret& caret, uint32_t value)
{
    const uint64_t size = m_doc.GetFileSize();
    // The byte under the cursor comes from the file: the rows in memory may not include it (the
    // user scrolled away from the cursor), and a nibble must never be merged with a stand-in 00.
    uint8_t w = 0;
    if (caret.cursor < size) {
        std::unique_ptr<ByteSource> source = m_doc.OpenSource();
        if (source->Read(caret.cursor, &w, 1) != 1) {
            Prompter::ShowError(source->ErrorText().isEmpty() ? QStringLiteral("ファイルを読み込めませんでした。")
                                                              : source->ErrorText());
            return false;
        }
    }
    if (caret.lowNibble && !caret.inCharColumn) {
        const uint8_t b = static_cast<uint8_t>((w & 0xF0) | (value & 0x0F));
        if (!m_doc.DiskWrite(caret.cursor, &b, 1, false, true))
            return false;
        caret.cursor += 1;
        return true;
    }
    if (caret.inCharColumn) {
        const TypedBytes t = Encode(value, caret.charCode);
        // Bytes that fall inside the file are written in place, the rest inserted at once. The
        // insertion goes first: when the disk has no room for it, nothing has been written.
        const size_t inside = !caret.insertMode && caret.cursor < size
            ? static_cast<size_t>(std::min<uint64_t>(t.count, size - caret.cursor)) : 0;
        const size_t rest = t.count - inside;
        if (rest && !m_doc.DiskWrite(caret.cursor + inside, &t.bytes[inside], rest, true, inside == 0))
            return false;
        if (inside && !m_doc.DiskWrite(caret.cursor, t.bytes.data(), inside, false, true))
            return false;
        caret.cursor += t.count;
        return true;
    }
    const uint8_t high = static_cast<uint8_t>((value & 0x0F) << 4);
    if (!caret.insertMode && caret.cursor < size) {
        const uint8_t b = static_cast<uint8_t>(high | (w & 0x0F));
        return m_doc.DiskWrite(caret.cursor, &b, 1, false, true);
    }
    return m_doc.DiskWrite(caret.cursor, &high, 1, true, true);
}

bool CByteEditor::TypeInMemory(EditCaret& caret, uint32_t value)
{
    const uint64_t size = m_doc.GetFileSize();
    if (caret.lowNibble && !caret.inCharColumn) {
        if (caret.cursor >= size)
            return false;
        const uint8_t old = m_doc.ByteAt(caret.cursor);
        if (m_doc.Record(false, Low32(caret.cursor), &old, 1, 0) == Outcome::Abandon)
            return false;
        const uint8_t b = static_cast<uint8_t>((old & 0xF0) | (value & 0x0F));
        m_doc.OverwriteBytes(caret.cursor, &b, 1);
        m_doc.SyncFileSize();
        caret.cursor += 1;
        return true;
    }

    TypedBytes typed;
    if (caret.inCharColumn) {
        typed = Encode(value, caret.charCode);
    } else {
        typed.bytes[0] = static_cast<uint8_t>((value & 0x0F) << 4);
        typed.count = 1;
    }
    const size_t n = caret.inCharColumn ? typed.count : 1;

    bool deletedSelection = false;
    if (caret.HasSelection()) {
        const size_t undoBefore = m_doc.UndoJournal().size();
        if (!DeleteBytes(caret))
            return false;
        deletedSelection = true;
        if (m_doc.UndoJournal().size() > undoBefore) {
            // One undo takes back the typed bytes and the deleted selection together.
            m_doc.NewestUndo()->removeCount = static_cast<int32_t>(n);
        } else if (m_doc.Record(false, Low32(caret.cursor), nullptr, 0, static_cast<int32_t>(n)) == Outcome::Abandon) {
            return false;
        }
    }

    if (deletedSelection || caret.insertMode || caret.cursor >= m_doc.GetFileSize()) {
        if (!deletedSelection &&
            m_doc.Record(false, Low32(caret.cursor), nullptr, 0, static_cast<int32_t>(n)) == Outcome::Abandon)
            return false;
        if (!m_doc.InsertBytes(caret.cursor, typed.bytes.data(), n)) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            m_doc.ClearJournals(); // the newest record describes an insertion that never happened
            return false;
        }
        m_doc.SyncFileSize();
        if (caret.inCharColumn)
            caret.cursor += n;
        return true;
    }

    if (!caret.inCharColumn) {
        const uint8_t old = m_doc.ByteAt(caret.cursor);
        if (m_doc.Record(false, Low32(caret.cursor), &old, 1, 0) == Outcome::Abandon)
            return false;
        const uint8_t b = static_cast<uint8_t>(typed.bytes[0] | (old & 0x0F));
        m_doc.OverwriteBytes(caret.cursor, &b, 1);
        m_doc.SyncFileSize();
        return true;
    }

    // A character over bytes of the file: the bytes before the end are overwritten and the rest
    // appended. One record restores both parts: it removes the appended count and writes the old
    // bytes back over what is then left at the cursor.
    const uint64_t inside = std::min<uint64_t>(n, size - caret.cursor);
    const size_t appended = n - static_cast<size_t>(inside);
    uint8_t old[4] = {};
    m_doc.ReadBytes(caret.cursor, old, static_cast<size_t>(inside));
    if (m_doc.Record(false, Low32(caret.cursor), old, static_cast<int32_t>(inside),
                     static_cast<int32_t>(appended)) == Outcome::Abandon)
        return false;
    m_doc.OverwriteBytes(caret.cursor, typed.bytes.data(), static_cast<size_t>(inside));
    if (appended && !m_doc.InsertBytes(caret.cursor + inside, typed.bytes.data() + inside, appended)) {
        m_doc.OverwriteBytes(caret.cursor, old, static_cast<size_t>(inside));
        m_doc.ClearJournals();
        Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
        return false;
    }
    m_doc.SyncFileSize();
    caret.cursor += n;
    return true;
}

std::optional<CByteEditor::Range> CByteEditor::TargetRange(const EditCaret& caret, uint64_t size)
{
    Range r{caret.cursor, 1};
    if (caret.HasSelection()) {
        r.start = caret.selStart;
        r.count = caret.selEnd - caret.selStart + 1;
    }
    if (r.start >= size)
        return std::nullopt;
    r.count = std::min(r.count, size - r.start);
    return r;
}

bool CByteEditor::DeleteBytes(EditCaret& caret)
{
    const uint64_t size = m_doc.GetFileSize();
    if (!m_doc.IsEditable() || size == 0)
        return false;
    const std::optional<Range> range = TargetRange(caret, size);
    if (!range)
        return false; // the end-of-file cell holds no byte
    const uint64_t start = range->start;
    const uint64_t n = range->count;
    caret.cursor = start;
    caret.ClearSelection();

    if (m_doc.IsDirectEdit())
        return m_doc.DiskRemove(start, n);

    if (m_doc.RecordStoreBytes(true, Low32(start), static_cast<int32_t>(n), 0) == Outcome::Abandon)
        return false;
    m_doc.RemoveBytes(start, static_cast<size_t>(n));
    m_doc.SyncFileSize();
    return true;
}

bool CByteEditor::DeleteKey(EditCaret& caret)
{
    const uint64_t size = m_doc.GetFileSize();
    if (caret.cursor >= size && size > 0)
        caret.cursor = size - 1;
    return DeleteBytes(caret);
}

bool CByteEditor::BackspaceKey(EditCaret& caret)
{
    if (caret.cursor == 0)
        return false;
    caret.cursor -= 1;
    return DeleteBytes(caret);
}

bool CByteEditor::PasteBytes(EditCaret& caret, const uint8_t* data, size_t n)
{
    if (!m_doc.IsEditable())
        return false;
    const uint64_t size = m_doc.GetFileSize();
    uint64_t start = caret.cursor;
    uint64_t m = n;
    if (caret.HasSelection()) {
        start = caret.selStart;
        m = caret.selEnd - caret.selStart + 1;
    }
    if (start > size)
        start = size;
    if (start + m > size)
        m = size - start;

    if (m_doc.IsDirectEdit()) {
        caret.cursor = start;
        if (!m_doc.DiskWrite(start, data, n, caret.insertMode, true))
            return false;
    } else {
        const uint64_t removed = caret.insertMode ? 0 : m;
        const Outcome outcome = removed
            ? m_doc.RecordStoreBytes(true, Low32(start), static_cast<int32_t>(removed), static_cast<int32_t>(n))
            : m_doc.Record(false, Low32(start), nullptr, 0, static_cast<int32_t>(n));
        if (outcome == Outcome::Abandon)
            return false;
        // Insert first, then take out the replaced bytes behind the new ones: a failed insertion
        // leaves the document as it was.
        if (!m_doc.InsertBytes(start, data, n)) {
            m_doc.ClearJournals();
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return false;
        }
        m_doc.RemoveBytes(start + n, static_cast<size_t>(removed));
        m_doc.SyncFileSize();
    }
    caret.ClearSelection();
    caret.cursor = start + n;
    return true;
}

std::function<int64_t()> CByteEditor::s_availableMemoryHook;

int64_t CByteEditor::AvailableMemory()
{
    if (s_availableMemoryHook)
        return s_availableMemoryHook();
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    int64_t available = -1;
    int64_t swapFree = 0;
    for (const QByteArray& line : info.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        const int64_t kib = parts[1].toLongLong();
        if (parts[0] == "MemAvailable:")
            available = kib * 1024;
        else if (parts[0] == "SwapFree:")
            swapFree = kib * 1024;
    }
    return available < 0 ? -1 : available + swapFree;
}

std::optional<QByteArray> CByteEditor::ReadRange(const EditCaret& caret, uint64_t copies)
{
    const uint64_t size = m_doc.GetFileSize();
    const std::optional<Range> range = TargetRange(caret, size);
    if (!range)
        return std::nullopt;
    const uint64_t start = range->start;
    const uint64_t n = range->count;
    // Small copies never ask: the check is for selections of hundreds of megabytes.
    const int64_t room = n >= (uint64_t(16) << 20) ? AvailableMemory() : -1;
    if (n >= 0x7FFFFFF0ull || (room >= 0 && n * copies > static_cast<uint64_t>(room))) {
        Prompter::ShowError(QStringLiteral("クリップボードへの保存に失敗しました。"));
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(n), Qt::Uninitialized);
    if (!m_doc.IsDirectEdit()) {
        m_doc.ReadBytes(start, reinterpret_cast<uint8_t*>(bytes.data()), static_cast<size_t>(n));
        return bytes;
    }
    QFile file(m_doc.PathName());
    if (!file.open(QIODevice::ReadOnly) || !file.seek(static_cast<qint64>(start))) {
        Prompter::ShowError(file.errorString());
        return std::nullopt;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 got = file.read(bytes.data() + done, bytes.size() - done);
        if (got <= 0) {
            Prompter::ShowError(got < 0 ? file.errorString()
                                        : QStringLiteral("ファイルを最後まで読み込めませんでした。"));
            return std::nullopt;
        }
        done += got;
    }
    return bytes;
}

QByteArray BytesToHexText(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

QByteArray HexTextToBytes(const QByteArray& block, int width)
{
    if (width < 1)
        width = 1;
    const qsizetype s = block.size();
    const qsizetype count = (s / 2) / width;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    QByteArray out(count, '\0');
    qsizetype k = 0;
    for (qsizetype i = 0; i < count && k < s; ++i) {
        const char hc = block[k];
        if (hc == 0) {
            k += 2 * width - 1; // the output byte stays 0
            continue;
        }
        const int high = digit(hc);
        const int low = k + width < s ? digit(block[k + width]) : 0;
        uint8_t b;
        if (low < 0)
            b = 0xFF;
        else if (high < 0)
            b = static_cast<uint8_t>(0xF0 | low);
        else
            b = static_cast<uint8_t>((high << 4) | low);
        out[i] = static_cast<char>(b);
        k += 2 * width;
    }
    return out;
}
