// Saving with the ".bak" backup, save-as in direct edit mode, and reloading from disk.
#include "document/QuorvaneDoc.h"

#include "base/Prompter.h"
#include "base/SettingsStore.h"
#include "base/NativePath.h"
#include "document/SafeFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Bytes written between two progress reports.
constexpr uint64_t kSaveChunk = 16 * 1024 * 1024;

// Flush() of a large file can take seconds while the system writes it out: with a progress
// listener it runs on a thread of its own, and the listener keeps hearing (the windows keep
// painting). A stop asked for meanwhile is answered once the flush has ended.
bool FlushReporting(SafeFileWriter& out, const CQuorvaneDoc::ProgressFn& progress, uint64_t total, bool& stopped)
{
    if (!progress)
        return out.Flush();
    std::atomic<bool> finished{false};
    bool ok = false;
    std::thread flusher([&] {
        ok = out.Flush();
        finished.store(true, std::memory_order_release);
    });
    while (!finished.load(std::memory_order_acquire)) {
        if (!progress(total, total))
            stopped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    flusher.join();
    return ok;
}

} // namespace

bool CQuorvaneDoc::DoSave(const QString& path, const ProgressFn& progress)
{
    WaitForLoader();
    if (m_incomplete.load()) {
        Prompter::ShowError(QStringLiteral("ファイルを最後まで読み込めなかったため、保存できません。\n"
                                           "再読み込みしてください。"));
        return false;
    }
    const QString target = AbsolutePath(path);
    if (m_directEdit && target == m_pathName)
        return true; // every edit is already on disk

    // The new contents go to a temporary file beside the target; the target is replaced only by
    // a complete, synced file, and a failure at any step leaves it as it was.
    SafeFileWriter out(target);
    QString error;
    bool stopped = false;
    const uint64_t total = m_fileSize;
    auto report = [&](uint64_t done) {
        if (progress && !progress(done, total))
            stopped = true;
        return !stopped;
    };
    bool ok = out.Open();
    if (ok) {
        if (m_directEdit) {
            ok = out.WriteFrom(m_pathName, [&](qint64 copied) { return report(static_cast<uint64_t>(copied)); });
        } else {
            const char* data = reinterpret_cast<const char*>(m_bytes.Contiguous());
            for (uint64_t done = 0; ok && done < total && !stopped;) {
                const uint64_t n = std::min(kSaveChunk, total - done);
                ok = out.Write(data + done, static_cast<qint64>(n));
                done += n;
                report(done);
            }
        }
    }
    ok = ok && !stopped && FlushReporting(out, progress, total, stopped); // on disk before the backup replaces an older one
    if (stopped) {
        // 中止: the temporary file goes, the target stays as it was.
        out.Cancel();
        return false;
    }
    if (!ok) {
        if (error.isEmpty())
            error = out.ErrorString();
        out.Cancel();
        Prompter::ShowError(error);
        return false;
    }

    CSettingsStore& store = CSettingsStore::Current();
    const QString group = SettingsGroup();
    if (store.GetGroupSetting(SettingId::Backup, group) != 0 && StatPath(target).exists) {
        // The backup keeps the file as it was before this save. It is made once the new file is
        // written, under a temporary name, and replaces the older backup only when complete.
        // The target is about to be replaced by a new file, so the backup may share its bytes.
        const QString backup = target + QStringLiteral(".bak");
        QString why;
        if (!MakeBackup(target, backup, true, &why)) {
            const PromptAnswer a = Prompter::Current().Show(
                QStringLiteral("バックアップファイル %1 を作成できませんでした。\n%2\n\nバックアップなしで保存しますか?")
                    .arg(PathForDisplay(backup), why),
                QStringLiteral("エラー"), PromptButtons::YesNo, PromptIcon::Warning);
            if (a != PromptAnswer::Yes) {
                out.Cancel();
                return false;
            }
        }
    }

    if (!out.Commit()) {
        Prompter::ShowError(out.ErrorString());
        return false;
    }

    if (store.GetGroupSetting(SettingId::UndobufClear, group) != 0)
        ClearJournals();
    if (!m_directEdit && target != m_pathName) {
        m_pathName = target;
        Q_EMIT pathChanged(m_pathName);
    }
    SetModifiedFlag(false);
    return true;
}

bool CQuorvaneDoc::Reload()
{
    if (m_modified) {
        const PromptAnswer a = Prompter::Current().Show(Title() + QStringLiteral(" への変更を保存しますか?"),
                                                        QStringLiteral("Quorvane"),
                                                        PromptButtons::YesNoCancel, PromptIcon::Question);
        if (a == PromptAnswer::Cancel)
            return false;
        if (a == PromptAnswer::Yes && !DoSave(m_pathName))
            return false; // keep the edits when they could not be saved
    }
    // The document keeps its bytes until the file has been read again: a reload that fails or is
    // cancelled (the out-of-memory question) leaves it as it was, never an emptied store that a
    // later save would write over the file.
    if (!OnOpenDocument(m_pathName, m_directEdit))
        return false;
    return true;
}
