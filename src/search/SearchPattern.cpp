// Building search patterns from hexadecimal text, and the byte matching rule.
#include "search/SearchPattern.h"

namespace {

int NibbleOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1; // "?"
}

// One entry from a high and a low character; `high` may be absent (a lone low nibble).
uint16_t EntryOf(const QChar* high, QChar low)
{
    uint16_t entry = 0;
    if (high) {
        const int h = NibbleOf(*high);
        if (h < 0)
            entry |= SearchPattern::kHighWild;
        else
            entry |= static_cast<uint16_t>(h << 4);
    }
    const int l = NibbleOf(low);
    if (l < 0)
        entry |= SearchPattern::kLowWild;
    else
        entry |= static_cast<uint16_t>(l);
    return entry;
}

} // namespace

SearchPattern::SearchPattern(std::vector<uint16_t> entries) : m_entries(std::move(entries)) {}

bool SearchPattern::IsPatternText(const QString& hex)
{
    for (QChar c : hex) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || u == u'?'))
            return false;
    }
    return true;
}

std::optional<SearchPattern> SearchPattern::FromHexText(const QString& hex, bool writtenOrder)
{
    const qsizetype m = hex.size();
    if (m == 0 || !IsPatternText(hex))
        return std::nullopt;
    std::vector<uint16_t> entries;
    entries.reserve(static_cast<size_t>((m + 1) / 2));
    const QChar* s = hex.constData();
    if (writtenOrder) {
        qsizetype i = 0;
        if (m % 2) {
            entries.push_back(EntryOf(nullptr, s[0]));
            i = 1;
        }
        for (; i < m; i += 2)
            entries.push_back(EntryOf(&s[i], s[i + 1]));
    } else {
        qsizetype i = m;
        while (i >= 2) {
            entries.push_back(EntryOf(&s[i - 2], s[i - 1]));
            i -= 2;
        }
        if (i == 1)
            entries.push_back(EntryOf(nullptr, s[0]));
    }
    return SearchPattern(std::move(entries));
}

bool SearchPattern::MatchesAt(const uint8_t* bytes) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (!Matches(m_entries[i], bytes[i]))
            return false;
    return true;
}

bool SearchPattern::IsLiteral() const
{
    for (uint16_t e : m_entries)
        if (e & (kHighWild | kLowWild))
            return false;
    return true;
}
