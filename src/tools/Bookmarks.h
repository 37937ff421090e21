// The bookmarks of one view: an ordered array of addresses with descriptions, and its rules.
#pragma once

#include "tools/BookmarkList.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Every command that adds a bookmark keeps the array in ascending address order without
// duplicates; a list loaded from a file keeps the file's order (it may be unsorted and hold an
// address twice). Bookmarks keep their addresses when bytes are inserted or removed.
class CBookmarks
{
public:
    // What Toggle did: added at `index` or removed from `index`.
    struct Change
    {
        bool added = false;
        size_t index = 0;
    };

    // Removes the bookmark at `address` when there is one, else inserts one (empty description)
    // before the first bookmark with a higher address.
    Change Toggle(uint64_t address);
    // The last bookmark (walking from the end) below `cursor`, and the first above it.
    std::optional<uint64_t> Previous(uint64_t cursor) const;
    std::optional<uint64_t> Next(uint64_t cursor) const;
    void Clear() { m_list.clear(); }
    // Replaces the array by a loaded list, in its order.
    void Assign(std::vector<BOOKMARKLIST> list) { m_list = std::move(list); }
    // Stores a description; false (nothing changed) for an index outside the array.
    bool SetDescription(qint64 index, const QString& text);

    bool Contains(uint64_t address) const;
    bool IsEmpty() const { return m_list.empty(); }
    size_t Size() const { return m_list.size(); }
    const std::vector<BOOKMARKLIST>& List() const { return m_list; }
    // The addresses, in array order (the painter's bookmark test).
    std::vector<uint64_t> Addresses() const;
    // The rows of the ブックマーク tab: address text and description, in array order.
    std::vector<std::pair<QString, QString>> Rows() const;
    // The address lines that ブックマーク取り込み appends: "%X" and "\r\n" per bookmark.
    QString ImportText() const;

private:
    std::vector<BOOKMARKLIST> m_list;
};

// The lines `quorvane-cli bookmarks` prints: "ADDRESS<TAB>DESCRIPTION" per entry, file order.
QStringList BookmarkListLines(const std::vector<BOOKMARKLIST>& list);
