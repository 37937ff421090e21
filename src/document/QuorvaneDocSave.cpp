// Saving with the ".bak" backup, save-as in direct edit mode, and reloading from disk.
#include "document/QuorvaneDoc.h"

#include "app/Prompter.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>

namespace {

constexpr qint64 kCopyBlock = 4 * 1024 * 1024;

// Copies `source` into an open save file block by block.
bool CopyInto(const QString& source, QSaveFile& out, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
    for (;;) {
        const qint64 got = in.read(buffer.get(), kCopyBlock);
        if (got < 0) {
            *error = in.errorString();
            return false;
        }
        if (got == 0)
            return true;
        if (out.write(buffer.get(), got) != got) {
            *error = out.errorString();
            return false;
        }
    }
}

} // namespace

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

    CSettingsStore& store = CSettingsStore::Current();
    const QString group = SettingsGroup();
    if (store.GetGroupSetting(SettingId::Backup, group) != 0 && QFile::exists(target)) {
        // The backup keeps the file as it was before this save; a failed copy does not stop it.
        const QString backup = target + QStringLiteral(".bak");
        QFile::remove(backup);
        QFile::copy(target, backup);
    }

    // The target is replaced only by a complete new file written beside it.
    QSaveFile out(target);
    QString error;
    bool ok = out.open(QIODevice::WriteOnly);
    if (ok) {
        if (m_directEdit) {
            ok = CopyInto(m_pathName, out, &error);
        } else {
            const uint8_t* data = m_bytes.Contiguous();
            qint64 done = 0;
            const qint64 size = static_cast<qint64>(m_fileSize);
            while (ok && done < size) {
                const qint64 put = out.write(reinterpret_cast<const char*>(data) + done, size - done);
                ok = put > 0;
                done += std::max<qint64>(put, 0);
            }
        }
        if (ok)
            ok = out.commit();
    }
    if (!ok) {
        if (error.isEmpty())
            error = out.errorString();
        out.cancelWriting();
        Prompter::ShowError(error);
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
    StopLoader();
    // Make sure the file can still be read before the current contents are given up.
    QFile probe(m_pathName);
    if (!probe.open(QIODevice::ReadOnly)) {
        Prompter::ShowError(probe.errorString());
        return false;
    }
    probe.close();
    m_bytes.Clear();
    ClearJournals();
    const bool direct = m_directEdit;
    if (!OnOpenDocument(m_pathName, direct))
        return false;
    return true;
}
