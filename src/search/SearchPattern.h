// The byte pattern that search, replace and folder search look for: bytes with wildcard nibbles.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// One entry per pattern byte, in the order the bytes must appear: bits 0-7 the value, 0x1000 when
// the high nibble is a wildcard, 0x0100 when the low nibble is. A wildcard nibble is 0 in the value.
class SearchPattern
{
public:
    static constexpr uint16_t kHighWild = 0x1000;
    static constexpr uint16_t kLowWild = 0x0100;

    // What the next step asks for: 前へ, 次へ or a new search (検索).
    enum class Request : uint16_t { Backward = 0, Forward = 1, NewSearch = 2 };

    SearchPattern() = default;
    explicit SearchPattern(std::vector<uint16_t> entries);

    // True when `hex` holds only "0123456789ABCDEF?" (the characters the 16進数 fields take).
    static bool IsPatternText(const QString& hex);
    // Builds the pattern from a 16進数 text. Written order takes the characters in pairs from the
    // front (a lone first character is a byte of its own, its low nibble); reversed order reads the
    // text as a little-endian number: pairs from the end, a lone first character forming the last
    // byte. Returns nothing for an empty text or a character outside "0123456789ABCDEF?".
    static std::optional<SearchPattern> FromHexText(const QString& hex, bool writtenOrder);

    size_t Length() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.empty(); }
    const std::vector<uint16_t>& Entries() const { return m_entries; }
    uint16_t Entry(size_t i) const { return m_entries[i]; }

    Request RequestKind() const { return m_request; }
    void SetRequestKind(Request request) { m_request = request; }

    // The matching rule: b with its high nibble cleared (0x1000) and then its low nibble cleared
    // (0x0100) equals the entry's value.
    static bool Matches(uint16_t entry, uint8_t b) { return (b & MaskOf(entry)) == (entry & 0xFF); }
    static uint8_t MaskOf(uint16_t entry)
    {
        return static_cast<uint8_t>(((entry & kHighWild) ? 0x0F : 0xFF) & ((entry & kLowWild) ? 0xF0 : 0xFF));
    }
    // True when the n bytes at `bytes` are a hit.
    bool MatchesAt(const uint8_t* bytes) const;
    // No wildcard anywhere: the pattern is a plain byte string.
    bool IsLiteral() const;

private:
    std::vector<uint16_t> m_entries;
    Request m_request = Request::NewSearch;
};
