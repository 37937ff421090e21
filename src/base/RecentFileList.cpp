// The recent-file list and its place in the settings store.
#include "base/RecentFileList.h"

#include "base/SettingsStore.h"
#include "base/NativePath.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString KeyOf(int i) { return kSection + QStringLiteral("/File") + QString::number(i + 1); }

// File names compare like the file system does: a path differing only in case is the same
// file on Windows and a different one elsewhere.
bool SamePath(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}
} // namespace

void CRecentFileList::ReadList(const CSettingsStore& store)
{
    m_entries.clear();
    for (int i = 0; i < m_size; ++i) {
        // Names that are not UTF-8 are stored by their bytes (see PathToStored).
        const QString path = PathFromStored(store.Value(KeyOf(i)).toString());
        if (!path.isEmpty())
            m_entries << path;
    }
}

void CRecentFileList::WriteList(CSettingsStore& store) const
{
    store.Remove(kSection);
    for (int i = 0; i < m_entries.size(); ++i)
        store.SetValue(KeyOf(i), PathToStored(m_entries[i]));
}

void CRecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        if (SamePath(m_entries[i], full))
            m_entries.removeAt(i);
    m_entries.prepend(full);
    while (m_entries.size() > m_size)
        m_entries.removeLast();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

QString CRecentFileList::MenuText(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return {};
    QString path = PathForDisplay(m_entries[index]);
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}
