// Tests of the search pattern, the field conversions and the replacement bytes.
#include "search/FolderSearch.h"
#include "search/ReplaceRequest.h"
#include "search/SearchFields.h"
#include "search/SearchPattern.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint16_t> Entries(const QString& hex, bool written)
{
    const auto p = SearchPattern::FromHexText(hex, written);
    return p ? p->Entries() : std::vector<uint16_t>{};
}

std::vector<uint8_t> Bytes(const std::optional<ReplaceRequest>& r)
{
    return r ? r->bytes : std::vector<uint8_t>{0xDE, 0xAD};
}

} // namespace

TEST(SearchPatternTest, BuildsEntriesInBothOrdersWithWildcards)
{
    // "0?FF??D0": little-endian reads the text as a number, low byte first.
    EXPECT_EQ(Entries("0?FF??D0", false), (std::vector<uint16_t>{0xD0, 0x1100, 0xFF, 0x0100}));
    EXPECT_EQ(Entries("0?FF??D0", true), (std::vector<uint16_t>{0x0100, 0xFF, 0x1100, 0xD0}));
    // An odd count: the lone first digit is a byte of its own.
    EXPECT_EQ(Entries("ABC", false), (std::vector<uint16_t>{0xBC, 0x0A}));
    EXPECT_EQ(Entries("ABC", true), (std::vector<uint16_t>{0x0A, 0xBC}));
    EXPECT_EQ(Entries("?", false), (std::vector<uint16_t>{0x0100}));
    EXPECT_EQ(Entries("?1", true), (std::vector<uint16_t>{0x1001}));

    EXPECT_FALSE(SearchPattern::FromHexText("", false));
    EXPECT_FALSE(SearchPattern::FromHexText("4G", false));
    EXPECT_FALSE(SearchPattern::FromHexText("ab", true)); // the field holds upper case only
}

TEST(SearchPatternTest, MatchingRuleClearsWildcardNibbles)
{
    const auto lowOne = *SearchPattern::FromHexText("?1", true);
    for (int b = 0; b < 256; ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        EXPECT_EQ(lowOne.MatchesAt(&byte), (b & 0x0F) == 1) << b;
    }
    const auto any = *SearchPattern::FromHexText("??", true);
    for (int b = 0; b < 256; ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        EXPECT_TRUE(any.MatchesAt(&byte));
    }
    // No case folding: "a" is not "A".
    const auto upperA = *SearchPattern::FromHexText("41", true);
    const uint8_t lowerA = 0x61;
    EXPECT_FALSE(upperA.MatchesAt(&lowerA));
}

TEST(SearchPatternTest, FieldConversions)
{
    EXPECT_EQ(SearchDecimalToHex("999"), "03E7");
    EXPECT_EQ(SearchDecimalToHex(""), "00");
    EXPECT_EQ(SearchDecimalToHex("255"), "FF");
    EXPECT_EQ(SearchDecimalToHex("99999999999"), "7FFFFFFF");
    EXPECT_EQ(SearchHexToDecimal("03E7"), "999");
    EXPECT_EQ(SearchHexToDecimal("1?10"), "16"); // only the digits after the last "?"
    EXPECT_EQ(SearchHexToDecimal("FFFFFFFFFFFFFFFF"), "18446744073709551615");
    EXPECT_EQ(SearchHexToDecimal("10000000000000000"), "0"); // wraps like the 64-bit reading

    const EncodedSearchText be = EncodeSearchString(QStringLiteral("AB"), "UnicodeBE");
    EXPECT_EQ(be.hex, "00410042");
    EXPECT_EQ(be.decimal, QString::number(0x00410042));
    EXPECT_EQ(EncodeSearchString(QStringLiteral("AB"), "Unicode").hex, "41004200");
    EXPECT_EQ(EncodeSearchString(QStringLiteral("AB"), "Shift-JIS").hex, "4142");
    EXPECT_EQ(EncodeReplaceString(QStringLiteral("AB"), "Shift-JIS"), "0x4142");
    EXPECT_TRUE(IsCharCodeName("UTF-8"));
    EXPECT_FALSE(IsCharCodeName("utf-8"));

    EXPECT_EQ(FolderSearchDecimalToHex("999"), "3E7");
    EXPECT_EQ(FolderSearchDecimalToHex("-1"), "FFFFFFFF");
    EXPECT_EQ(FolderSearchDecimalToHex("12abc"), "C");
    EXPECT_EQ(FolderSearchDecimalToHex("5000000000"), "7FFFFFFF");
    EXPECT_EQ(FolderSearchDecimalToHex(""), "");
    // The folder search reads digits as a number, least significant byte first.
    EXPECT_EQ(BuildFolderSearchPattern("1234", false)->Entries(), (std::vector<uint16_t>{0x34, 0x12}));
    EXPECT_EQ(BuildFolderSearchPattern("3E7", false)->Entries(), (std::vector<uint16_t>{0xE7, 0x03}));
}

TEST(SearchPatternTest, ReplacementBytes)
{
    EXPECT_EQ(Bytes(ReplaceRequest::Build("999", false, ReplaceScope::Whole)), (std::vector<uint8_t>{0xE7, 0x03}));
    EXPECT_EQ(Bytes(ReplaceRequest::Build("0x3E7", false, ReplaceScope::Whole)), (std::vector<uint8_t>{0xE7, 0x03}));
    EXPECT_EQ(Bytes(ReplaceRequest::Build("0x4142", true, ReplaceScope::Whole)), (std::vector<uint8_t>{0x41, 0x42}));
    EXPECT_EQ(Bytes(ReplaceRequest::Build("0xabc", true, ReplaceScope::Whole)), (std::vector<uint8_t>{0x0A, 0xBC}));
    const auto none = ReplaceRequest::Build("", false, ReplaceScope::Selection);
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->hasReplacement);
    EXPECT_EQ(none->scope, ReplaceScope::Selection);
    EXPECT_FALSE(ReplaceRequest::Build("0x12G4", false, ReplaceScope::Whole));
    EXPECT_FALSE(ReplaceRequest::Build("0x1x", false, ReplaceScope::Whole));
    // Longer than 254 bytes is kept whole.
    EXPECT_EQ(Bytes(ReplaceRequest::Build("0x" + QString(600, 'A'), true, ReplaceScope::Whole)).size(), 300u);
}
