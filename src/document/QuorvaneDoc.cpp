// The document: opening, the byte store, the direct-edit window, group settings and the edit lock.
#include "document/QuorvaneDoc.h"

#include "base/Prompter.h"
#include "base/SettingsStore.h"
#include "base/NativePath.h"

#include <QDir>
#include <cstring>

namespace {

// DocColors order and the settings they come from.
constexpr SettingId kColorSettings[DocColors::Count] = {
    SettingId::Color_AddressBk, SettingId::Color_AddressTxt, SettingId::Color_TextBk,
    SettingId::Color_Text, SettingId::Color_BookmarkBk, SettingId::Color_BookmarkTxt,
    SettingId::Color_FindBk, SettingId::Color_FindTxt, SettingId::Color_DiffpBk,
    SettingId::Color_DiffpTxt, SettingId::Color_DiffmBk, SettingId::Color_DiffmTxt,
    SettingId::Color_EOFBk, SettingId::Color_EOFTxt, SettingId::Color_SelBk,
    SettingId::Color_SelTxt, SettingId::Color_StructRangeBk, SettingId::Color_StructRangeTxt,
    SettingId::Color_StructSelBk, SettingId::Color_StructSelTxt,
};

const QString kOutOfMemoryAskDirect =
    QStringLiteral("メモリが不足しています。\n直接編集モードで開きますか?");

// Reads a document's store through the loaded mark: bytes the loader has not reached read as 00.
class LoadingSource final : public ByteSource
{
public:
    explicit LoadingSource(const CQuorvaneDoc* doc) : m_doc(doc) {}
    uint64_t Size() const override { return m_doc->GetFileSize(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        return static_cast<int64_t>(m_doc->ReadBytes(address, dst, n));
    }

private:
    const CQuorvaneDoc* m_doc;
};

// The store's bytes read around its gap, which stays where the typing is.
class StoreGapSource final : public ByteSource
{
public:
    explicit StoreGapSource(const ByteStore& bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.Size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        if (address >= m_bytes.Size())
            return 0;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_bytes.Size() - address));
        m_bytes.Read(static_cast<size_t>(address), dst, take);
        return static_cast<int64_t>(take);
    }

private:
    const ByteStore& m_bytes;
};

} // namespace

CQuorvaneDoc::CQuorvaneDoc(QObject* parent) : QObject(parent)
{
    m_loadedUpTo.store(kNone);
}

CQuorvaneDoc::~CQuorvaneDoc()
{
    StopLoader();
}

QString CQuorvaneDoc::Title() const
{
    if (m_pathName.isEmpty())
        return QStringLiteral("無題");
    return PathForDisplay(FileNameOf(m_pathName));
}

void CQuorvaneDoc::SetModifiedFlag(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

bool CQuorvaneDoc::OnNewDocument()
{
    StopLoader();
    m_bytes.Clear();
    m_fileSize = 0;
    m_directEdit = false;
    m_incomplete = false;
    m_loadedUpTo.store(kNone);
    m_pathName.clear();
    ClearJournals();
    ApplyGroupSettings(QString());
    SetModifiedFlag(false);
    return true;
}

bool CQuorvaneDoc::OnOpenDocument(const QString& path, bool directEdit)
{
    // The file is read into a new store first; the document changes only once that worked, so an
    // open or a reload that fails or is cancelled leaves the document exactly as it was.
    std::optional<OpenedFile> opened = ReadForOpen(path, directEdit);
    if (!opened)
        return false;
    Adopt(std::move(*opened));
    return true;
}

std::optional<CQuorvaneDoc::OpenedFile> CQuorvaneDoc::ReadForOpen(const QString& path, bool directEdit)
{
    const PathFacts facts = StatPath(path);
    if (facts.exists && !facts.isFile) {
        // Folders, pipes and devices have no length to read; a pipe would block the program.
        Prompter::ShowError(QStringLiteral("%1\nは通常のファイルではないため開けません。").arg(PathForDisplay(path)));
        return std::nullopt;
    }
    QFile file;
    QString openError;
    if (!OpenNativeFile(file, path, QIODevice::ReadOnly, &openError)) {
        Prompter::ShowError(QDir::toNativeSeparators(PathForDisplay(path)) + QStringLiteral("\n") + openError);
        return std::nullopt;
    }
    OpenedFile opened;
    opened.path = AbsolutePath(path); // keeps the bytes of a name that is not UTF-8
    opened.length = static_cast<uint64_t>(file.size());
    opened.direct = directEdit || (opened.length >> 32) != 0;
    if (!opened.direct
        && (opened.length >= 0x80000000ull || !opened.bytes.ResizeZeroed(static_cast<size_t>(opened.length), ByteStore::GapPlace::Start))) {
        opened.bytes.Clear();
        file.close();
        const PromptAnswer a = Prompter::Current().Show(kOutOfMemoryAskDirect, QStringLiteral("エラー"),
                                                        PromptButtons::OkCancel, PromptIcon::Error);
        if (a != PromptAnswer::Ok)
            return std::nullopt;
        // The file may have changed while the question was open: take it as it is now.
        if (!OpenNativeFile(file, path, QIODevice::ReadOnly, &openError)) {
            Prompter::ShowError(QDir::toNativeSeparators(PathForDisplay(path)) + QStringLiteral("\n") + openError);
            return std::nullopt;
        }
        opened.length = static_cast<uint64_t>(file.size());
        opened.direct = true;
    }
    if (opened.direct) {
        ReadFileIdentity(file, opened.device, opened.inode);
        return opened;
    }

    const uint64_t first = std::min<uint64_t>(opened.length, kFirstRead);
    const int64_t got = first ? file.read(reinterpret_cast<char*>(opened.bytes.RawForLoading()), static_cast<qint64>(first)) : 0;
    if (got < 0 || static_cast<uint64_t>(got) != first) {
        const QString why = got < 0 ? file.errorString()
                                    : QStringLiteral("%1\nを最後まで読み込めませんでした。").arg(PathForDisplay(path));
        Prompter::ShowError(why);
        return std::nullopt;
    }
    return opened;
}

void CQuorvaneDoc::Adopt(OpenedFile&& opened)
{
    // The old store may still be filled by its loader: it ends before the store is given up.
    StopLoader();
    m_directEdit = opened.direct;
    m_incomplete = false;
    m_bytes = std::move(opened.bytes);
    m_fileSize = opened.length;
    m_pathName = opened.path;
    m_fileDevice = opened.device;
    m_fileInode = opened.inode;
    ClearJournals();
    ApplyGroupSettings(m_pathName);
    if (m_directEdit) {
        // Edits go straight to disk: the document starts protected against them.
        m_loadedUpTo.store(kNone);
        SetEditLock(1);
    }
    SetModifiedFlag(false);
    Q_EMIT pathChanged(m_pathName);
    if (m_directEdit)
        return;
    if (m_fileSize >= kFirstRead)
        StartLoader();
    else
        m_loadedUpTo.store(kNone, std::memory_order_release);
}

void CQuorvaneDoc::OnCloseDocument()
{
    StopLoader();
}

uint8_t CQuorvaneDoc::ByteAt(uint64_t address) const
{
    if (m_directEdit) {
        uint8_t b = 0;
        ReadBytes(address, &b, 1);
        return b;
    }
    if (address >= m_loadedUpTo.load(std::memory_order_acquire) || address >= m_bytes.Size())
        return 0;
    return m_bytes.At(static_cast<size_t>(address));
}

size_t CQuorvaneDoc::ReadBytes(uint64_t address, uint8_t* dst, size_t n) const
{
    uint64_t base = 0;
    if (m_directEdit) {
        // The window holds the rows of the view that scrolled last; other views of the document
        // read their rows from the file.
        base = m_windowFirstRow * 16;
        if (address < base || address - base >= m_bytes.Size() || n > m_bytes.Size() - (address - base)) {
            if (address >= m_fileSize)
                return 0;
            return ReadFromDisk(address, dst, static_cast<size_t>(std::min<uint64_t>(n, m_fileSize - address)));
        }
    }
    const uint64_t index = address - base;
    if (index >= m_bytes.Size())
        return 0;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_bytes.Size() - index));
    if (take == 0)
        return 0;
    const uint64_t limit = m_directEdit ? kNone : m_loadedUpTo.load(std::memory_order_acquire);
    size_t real = take;
    if (address >= limit)
        real = 0;
    else if (address + take > limit)
        real = static_cast<size_t>(limit - address);
    m_bytes.Read(static_cast<size_t>(index), dst, real);
    std::memset(dst + real, 0, take - real);
    return take;
}

std::unique_ptr<ByteSource> CQuorvaneDoc::OpenSource(bool keepGap)
{
    if (m_directEdit)
        return std::make_unique<FileByteSource>(m_pathName);
    if (IsLoading())
        return std::make_unique<LoadingSource>(this);
    if (!m_bytes.ContiguousIfClosed()) {
        if (keepGap)
            return std::make_unique<StoreGapSource>(m_bytes);
        // Closing the gap moves bytes that a worker may be reading around it: it stops first.
        Q_EMIT bytesAboutToChange();
    }
    return std::make_unique<MemoryByteSource>(m_bytes.Contiguous(), m_bytes.Size());
}

bool CQuorvaneDoc::InsertBytes(uint64_t address, const uint8_t* data, size_t n)
{
    Q_EMIT bytesAboutToChange();
    if (m_directEdit || IsLoading() || address > m_bytes.Size())
        return false;
    if (m_bytes.Size() + n >= 0x80000000ull) // the in-memory store stays below 2 GiB
        return false;
    return m_bytes.Insert(static_cast<size_t>(address), data, n);
}

void CQuorvaneDoc::RemoveBytes(uint64_t address, size_t n)
{
    Q_EMIT bytesAboutToChange();
    if (m_directEdit || IsLoading() || address >= m_bytes.Size())
        return;
    n = static_cast<size_t>(std::min<uint64_t>(n, m_bytes.Size() - address));
    m_bytes.Remove(static_cast<size_t>(address), n);
}

void CQuorvaneDoc::OverwriteBytes(uint64_t address, const uint8_t* data, size_t n)
{
    Q_EMIT bytesAboutToChange();
    if (m_directEdit || IsLoading() || address >= m_bytes.Size())
        return;
    n = static_cast<size_t>(std::min<uint64_t>(n, m_bytes.Size() - address));
    m_bytes.Overwrite(static_cast<size_t>(address), data, n);
}

void CQuorvaneDoc::SyncFileSize()
{
    m_fileSize = m_bytes.Size();
    Q_EMIT fileSizeChanged(m_fileSize);
}

QString CQuorvaneDoc::SettingsGroup() const
{
    if (m_pathName.isEmpty())
        return QStringLiteral("*.*");
    return CSettingsStore::Current().FindSettingsGroup(m_pathName);
}

void CQuorvaneDoc::ApplyGroupSettings(const QString& path)
{
    CSettingsStore& store = CSettingsStore::Current();
    const QString group = path.isEmpty() ? QStringLiteral("*.*") : store.FindSettingsGroup(path);
    const uint32_t lock = store.GetGroupSetting(SettingId::Editmode, group) != 0 ? 1 : 0;
    // The loader restores this value when it ends. Stored before the running flag is read, and the
    // loader clears that flag before it reads this value, so one of the two always sets the lock.
    m_lockBeforeLoading.store(lock);
    if (!IsLoading())
        SetEditLock(lock);
    for (int i = 0; i < DocColors::Count; ++i)
        m_colors.color[i] = static_cast<uint32_t>(store.GetGroupSetting(kColorSettings[i], group));
}

void CQuorvaneDoc::ReapplyGroupSettings(bool editmodeChanged)
{
    const uint32_t lock = m_editLock.load();
    const uint32_t saved = m_lockBeforeLoading.load();
    ApplyGroupSettings(m_pathName);
    // The colours always follow the group. The lock follows it only when the group's Editmode was
    // changed, and a direct-edit document is never unlocked by it: its edits go straight to disk,
    // so only the user's own 編集禁止 lifts that lock. Otherwise a lock set with F12 stays.
    const uint32_t wanted = m_lockBeforeLoading.load();
    const bool keep = !editmodeChanged || (m_directEdit && wanted == 0);
    if (!keep)
        return;
    m_lockBeforeLoading.store(saved);
    if (!IsLoading())
        SetEditLock(lock == 2 ? saved : lock); // a loader that ended meanwhile restored `saved`
}

void CQuorvaneDoc::ToggleEditLock()
{
    uint32_t lock = m_editLock.load();
    if (lock == 2)
        return;
    SetEditLock(lock == 0 ? 1 : 0);
}

void CQuorvaneDoc::SetEditLock(uint32_t lock)
{
    if (m_editLock.exchange(lock) != lock)
        Q_EMIT editLockChanged(lock);
}
