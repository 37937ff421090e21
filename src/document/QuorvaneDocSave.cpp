// Saving with the ".bak" backup, save-as in direct edit mode, and reloading from disk.
#include "document/QuorvaneDoc.h"

#include "app/Prompter.h"
#include "app/SettingsStore.h"
#include "document/NativePath.h"
#include "document/SafeFileWriter.h"

#include <QFile>
#include <QFileInfo>

bool CQuorvaneDoc::DoSave(const QString& path)
{
    WaitForLoader();
    if (m_incomplete.load()) {
        Prompter::ShowError(QStringLiteral("ファイルを最後まで読み込めなかったため、保存できません。\n"
                                           "再読み込みしてください。"));
        return false;
    }
    const QString target = QFileInfo(path).absoluteFilePath();
    if (m_directEdit && target == m_pathName)
        return true; // every edit is already on disk

    // The new contents go to a temporary file beside the target; the target is replaced only by
    // a complete, synced file, and a failure at any step leaves it as it was.
    SafeFileWriter out(target);
    QString error;
    bool ok = out.Open();
    if (ok) {
        if (m_directEdit)
            ok = out.WriteFrom(m_pathName);
        else
            ok = out.Write(m_bytes.Contiguous(), static_cast<qint64>(m_fileSize));
    }
    ok = ok && out.Flush(); // on disk before the backup replaces an older one
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
