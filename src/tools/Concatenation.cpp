// File concatenation: reading the other file and adding it to the document in one undo step.
#include "tools/Concatenation.h"

#include "base/Prompter.h"
#include "document/AlignedBuffer.h"
#include "document/ByteSource.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "tools/FixedInput.h"

#include <QFile>
#include <memory>
#include <new>

namespace {

constexpr uint64_t kSourceLimit = 0x100000000ull; // sources are read whole, below 4 GiB
constexpr uint64_t kMemoryLimit = 0x80000000ull;  // the in-memory store stays below 2 GiB

QString ErrorText(const QString& path, const QString& text)
{
    return QStringLiteral("%1\n%2").arg(PathForDisplay(path), text.isEmpty() ? QStringLiteral("ファイルを読み込めません。") : text);
}

} // namespace

uint64_t ConcatTarget(const CQuorvaneDoc& doc, ConcatPosition position, uint64_t cursor)
{
    switch (position) {
    case ConcatPosition::Start: return 0;
    case ConcatPosition::Cursor: return std::min(cursor, doc.GetFileSize());
    case ConcatPosition::End: break;
    }
    return doc.GetFileSize();
}

bool ConcatenateFile(CQuorvaneDoc& doc, const QString& path, ConcatPosition position, ConcatAction action,
                     uint64_t cursor, uint64_t* target)
{
    if (doc.IsLoading()) {
        Prompter::ShowError(LoadingRefusalText());
        return false;
    }
    if (!doc.IsEditable())
        return false; // 編集禁止: no edit of any kind
    const uint64_t size = doc.GetFileSize();
    const uint64_t b = ConcatTarget(doc, position, cursor);
    if (target)
        *target = b;
    const bool overwrite = action == ConcatAction::Overwrite && position != ConcatPosition::End;
    if (overwrite && size == 0)
        return false; // nothing to write over

    QFile file;
    QString openError;
    if (!OpenNativeFile(file, path, QIODevice::ReadOnly, &openError)) {
        Prompter::ShowError(ErrorText(path, openError));
        return false;
    }
    const uint64_t n = static_cast<uint64_t>(file.size());
    if (n >= kSourceLimit) {
        Prompter::ShowError(ErrorText(path, QStringLiteral("4 GiB 以上のファイルは連結できません。")));
        return false;
    }
    const uint64_t replaced = overwrite ? std::min(n, size - b) : 0;
    if (!doc.IsDirectEdit() && size - replaced + n >= kMemoryLimit) {
        Prompter::ShowError(QStringLiteral("連結後のサイズがメモリ上のファイルの上限 (2 GiB) を超えます。"));
        return false;
    }
    // Read from offset 0 into a page-aligned buffer: the kernel's fast copy.
    AlignedBuffer buffer;
    try {
        buffer.Reserve(n ? n : 1);
    } catch (const std::bad_alloc&) {
        Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
        return false;
    }
    for (uint64_t done = 0; done < n;) {
        const qint64 got = file.read(reinterpret_cast<char*>(buffer.Data() + done), static_cast<qint64>(n - done));
        if (got <= 0) {
            Prompter::ShowError(ErrorText(path, got < 0 ? file.errorString() : ShortReadText()));
            return false;
        }
        done += static_cast<uint64_t>(got);
    }
    file.close();
    if (n == 0)
        return false;

    if (doc.IsDirectEdit()) {
        // Insert the part that does not fit over the replaced bytes first, then write over them:
        // when the disk has no room for the growth, nothing has changed yet.
        const bool grown = replaced == n
            || doc.DiskWrite(b + replaced, buffer.Data() + replaced, static_cast<size_t>(n - replaced), true, true);
        if (!grown)
            return false;
        const bool ok = replaced == 0 || doc.DiskWrite(b, buffer.Data(), static_cast<size_t>(replaced), false, true);
        return ok || replaced != n; // the file grew: it has changed either way
    }

    using Outcome = CQuorvaneDoc::RecordOutcome;
    // One record: undo removes the n new bytes and puts the replaced ones back.
    const Outcome recorded = replaced
        ? doc.RecordStoreBytes(true, static_cast<uint32_t>(b), static_cast<int32_t>(replaced), static_cast<int32_t>(n))
        : doc.Record(false, static_cast<uint32_t>(b), nullptr, 0, static_cast<int32_t>(n));
    if (recorded == Outcome::Abandon)
        return false;
    if (!doc.InsertBytes(b, buffer.Data(), static_cast<size_t>(n))) {
        doc.ClearJournals(); // the newest record describes an insertion that never happened
        Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
        return false;
    }
    doc.RemoveBytes(b + n, static_cast<size_t>(replaced));
    doc.SetModifiedFlag(true);
    doc.SyncFileSize();
    return true;
}
