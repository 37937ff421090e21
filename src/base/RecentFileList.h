// The recent-file list of the ファイル menu: most recent first, at most six entries.
#pragma once

#include <QString>
#include <QStringList>

class CSettingsStore;

class CRecentFileList
{
public:
    explicit CRecentFileList(int size = 6) : m_size(size) {}

    // Reads and writes "Recent File List\File1".."File6" of the store.
    void ReadList(const CSettingsStore& store);
    void WriteList(CSettingsStore& store) const;

    // Puts a path at the top, removing an older entry of the same file.
    void Add(const QString& path);
    void Remove(int index);
    int Size() const { return m_size; }
    const QStringList& Entries() const { return m_entries; }
    QString First() const { return m_entries.isEmpty() ? QString() : m_entries.front(); }
    // The menu text of entry i: "1 path", with the number as the item's mnemonic.
    QString MenuText(int index) const;

private:
    int m_size;
    QStringList m_entries;
};
