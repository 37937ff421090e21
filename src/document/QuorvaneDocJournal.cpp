// The undo and redo journals: recording edits and applying records in either direction.
#include "document/QuorvaneDoc.h"

#include "base/Prompter.h"

#include <cstring>
#include <new>

CQuorvaneDoc::RecordOutcome CQuorvaneDoc::Record(bool insert, uint32_t address, const uint8_t* data,
                                                 int32_t count, int32_t removeCount)
{
    return AddRecord(insert, address, count, removeCount, [&](uint8_t* dst) {
        std::memcpy(dst, data, static_cast<size_t>(count));
    });
}

CQuorvaneDoc::RecordOutcome CQuorvaneDoc::RecordStoreBytes(bool insert, uint32_t address, int32_t count,
                                                           int32_t removeCount)
{
    const size_t at = std::min<size_t>(address, m_bytes.Size());
    count = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(std::max(count, 0)), m_bytes.Size() - at));
    return AddRecord(insert, address, count, removeCount, [&](uint8_t* dst) {
        m_bytes.Read(at, dst, static_cast<size_t>(count));
    });
}

CQuorvaneDoc::RecordOutcome CQuorvaneDoc::AddRecord(bool insert, uint32_t address, int32_t count,
                                                    int32_t removeCount,
                                                    const std::function<void(uint8_t*)>& fill)
{
    UNDODATA record;
    record.insert = insert;
    record.address = static_cast<int32_t>(address);
    record.count = count;
    record.removeCount = removeCount;
    if (count > 0) {
        record.data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(count)]);
        if (!record.data) {
            const PromptAnswer a = Prompter::Current().Show(
                QStringLiteral("アンドゥバッファを確保できませんでした。\n処理を続けますか？"),
                QStringLiteral("エラー"), PromptButtons::YesNo, PromptIcon::Error);
            if (a != PromptAnswer::Yes)
                return RecordOutcome::Abandon;
            // The edit goes ahead unrecorded: older records no longer describe the bytes they
            // would restore, so both journals are dropped rather than left to corrupt data.
            ClearJournals();
            SetModifiedFlag(true);
            return RecordOutcome::WithoutRecord;
        }
        fill(record.data.get());
    }
    m_undo.push_front(std::move(record));
    m_redo.clear();
    SetModifiedFlag(true);
    return RecordOutcome::Recorded;
}

void CQuorvaneDoc::ClearJournals()
{
    m_undo.clear();
    m_redo.clear();
}

bool CQuorvaneDoc::AskClearJournals()
{
    const PromptAnswer a = Prompter::Current().Show(QStringLiteral("Undo/Redoバッファを削除しますか？"),
                                                    QStringLiteral("確認"), PromptButtons::YesNo,
                                                    PromptIcon::Information);
    if (a != PromptAnswer::Yes)
        return false;
    ClearJournals();
    return true;
}

std::optional<CQuorvaneDoc::ApplyResult> CQuorvaneDoc::Apply(Journal& from, Journal& to)
{
    Q_EMIT bytesAboutToChange();
    if (from.empty() || m_editLock.load() != 0 || m_directEdit)
        return std::nullopt;
    UNDODATA& r = from.front();
    const size_t at = static_cast<size_t>(static_cast<uint32_t>(r.address));
    if (at > m_bytes.Size())
        return std::nullopt;

    UNDODATA n;
    n.address = r.address;
    const size_t k = static_cast<size_t>(std::max(r.removeCount, 0));
    const size_t removable = std::min(k, m_bytes.Size() - at);
    if (removable) {
        n.insert = true;
        n.count = static_cast<int32_t>(removable);
        n.data.reset(new (std::nothrow) uint8_t[removable]);
        if (!n.data) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return std::nullopt;
        }
        m_bytes.Read(at, n.data.get(), removable);
    }
    const size_t m = static_cast<size_t>(std::max(r.count, 0));
    if (r.insert) {
        n.removeCount = static_cast<int32_t>(m);
        // Insert first and remove behind it: the same result as removing first, but a failed
        // insertion then leaves the bytes untouched.
        if (m && !m_bytes.Insert(at, r.data.get(), m)) {
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            return std::nullopt;
        }
        m_bytes.Remove(at + m, removable);
    } else {
        const size_t over = std::min(m, m_bytes.Size() - removable - std::min(at, m_bytes.Size() - removable));
        if (removable && over) {
            // Removes some bytes and writes others back (a character typed over the end of the
            // file): the inverse puts all of them back in one insertion.
            n.insert = true;
            n.count = static_cast<int32_t>(removable + over);
            n.removeCount = static_cast<int32_t>(over);
            n.data.reset(new (std::nothrow) uint8_t[removable + over]);
            if (!n.data) {
                Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
                return std::nullopt;
            }
            m_bytes.Read(at, n.data.get(), removable + over);
            m_bytes.Remove(at, removable);
            m_bytes.Overwrite(at, r.data.get(), over);
        } else {
            m_bytes.Remove(at, removable);
            if (over) {
                n.count = static_cast<int32_t>(over);
                n.data.reset(new (std::nothrow) uint8_t[over]);
                if (!n.data) {
                    Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
                    return std::nullopt;
                }
                m_bytes.Read(at, n.data.get(), over);
                m_bytes.Overwrite(at, r.data.get(), over);
            }
        }
    }
    const uint64_t cursor = static_cast<uint32_t>(r.address);
    SyncFileSize();
    from.pop_front();
    to.push_front(std::move(n));
    SetModifiedFlag(true);
    return ApplyResult{cursor};
}
