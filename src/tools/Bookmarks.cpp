// The bookmark rules of a view: toggling, stepping, descriptions and the tab's rows.
#include "tools/Bookmarks.h"

#include <QStringList>

CBookmarks::Change CBookmarks::Toggle(uint64_t address)
{
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].address == address) {
            m_list.erase(m_list.begin() + static_cast<std::ptrdiff_t>(i));
            return {false, i};
        }
        if (address < m_list[i].address) {
            m_list.insert(m_list.begin() + static_cast<std::ptrdiff_t>(i), BOOKMARKLIST{address, QString()});
            return {true, i};
        }
    }
    m_list.push_back({address, QString()});
    return {true, m_list.size() - 1};
}

std::optional<uint64_t> CBookmarks::Previous(uint64_t cursor) const
{
    for (auto it = m_list.rbegin(); it != m_list.rend(); ++it)
        if (it->address < cursor)
            return it->address;
    return std::nullopt;
}

std::optional<uint64_t> CBookmarks::Next(uint64_t cursor) const
{
    for (const BOOKMARKLIST& b : m_list)
        if (b.address > cursor)
            return b.address;
    return std::nullopt;
}

bool CBookmarks::SetDescription(qint64 index, const QString& text)
{
    if (index < 0 || static_cast<uint64_t>(index) >= m_list.size())
        return false;
    m_list[static_cast<size_t>(index)].description = text;
    return true;
}

bool CBookmarks::Contains(uint64_t address) const
{
    for (const BOOKMARKLIST& b : m_list)
        if (b.address == address)
            return true;
    return false;
}

std::vector<uint64_t> CBookmarks::Addresses() const
{
    std::vector<uint64_t> out;
    out.reserve(m_list.size());
    for (const BOOKMARKLIST& b : m_list)
        out.push_back(b.address);
    return out;
}

std::vector<std::pair<QString, QString>> CBookmarks::Rows() const
{
    std::vector<std::pair<QString, QString>> rows;
    rows.reserve(m_list.size());
    for (const BOOKMARKLIST& b : m_list)
        rows.emplace_back(BookmarkAddressText(b.address), b.description);
    return rows;
}

QString CBookmarks::ImportText() const
{
    QString text;
    for (const BOOKMARKLIST& b : m_list)
        text += QString::number(b.address, 16).toUpper() + QStringLiteral("\r\n");
    return text;
}

QStringList BookmarkListLines(const std::vector<BOOKMARKLIST>& list)
{
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(list.size()));
    for (const BOOKMARKLIST& b : list)
        lines << BookmarkAddressText(b.address) + QLatin1Char('\t') + b.description;
    return lines;
}
