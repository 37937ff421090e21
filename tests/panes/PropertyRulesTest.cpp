// The properties pane's rules: what a changed field does to the others, the address and range
// texts of the button menus, the accepted characters and the requests built from the fields.
#include "panes/PropertyRules.h"

#include <QHash>
#include <gtest/gtest.h>

namespace {

struct Fields
{
    QHash<int, QString> values;
    Fields()
    {
        for (const PROPERTYDEF& def : PropertyDefinitions())
            values[def.id] = def.value;
    }
    PropertyReader Reader() const
    {
        return [this](PropId id) { return values.value(id); };
    }
    // Runs the change and applies its writes, as the pane does.
    PropertyChangeEffect Change(PropId id, const QString& value)
    {
        values[id] = value;
        PropertyChangeEffect effect = PropertyRules::OnChanged(id, value, Reader());
        for (const auto& [target, text] : effect.writes)
            values[target] = text;
        return effect;
    }
};

} // namespace

TEST(PropertyRulesTest, SearchFieldsFeedEachOtherAndDiscardThePattern)
{
    Fields f;
    EXPECT_TRUE(f.Change(PropSearchDecimal, "999").discardPattern);
    EXPECT_EQ(f.values[PropSearchHex], "03E7");
    EXPECT_EQ(f.values[PropSearchDecimal], "999");
    EXPECT_TRUE(f.Change(PropSearchHex, "03E7").discardPattern);
    EXPECT_EQ(f.values[PropSearchDecimal], "999");
    f.Change(PropSearchHex, "1?20");
    EXPECT_EQ(f.values[PropSearchDecimal], "32"); // digits right of the last "?"

    // A string fills 16進数 in the chosen code: UnicodeBE writes each character high byte first.
    f.values[PropSearchCode] = "UnicodeBE";
    EXPECT_TRUE(f.Change(PropSearchText, "AB").discardPattern);
    EXPECT_EQ(f.values[PropSearchHex], "00410042");
    // Another code encodes the string again.
    EXPECT_TRUE(f.Change(PropSearchCode, "Unicode").discardPattern);
    EXPECT_EQ(f.values[PropSearchHex], "41004200");
    // Emptying the string leaves everything as it was and keeps the pattern.
    const PropertyChangeEffect empty = f.Change(PropSearchText, "");
    EXPECT_FALSE(empty.discardPattern);
    EXPECT_TRUE(empty.writes.empty());
    // A code change with no string keeps a typed pattern.
    f.Change(PropSearchHex, "0?FF");
    f.Change(PropSearchCode, "EUC");
    EXPECT_EQ(f.values[PropSearchHex], "0?FF");
    EXPECT_TRUE(f.Change(PropSearchForm, "ビッグエンディアン").discardPattern);
}

TEST(PropertyRulesTest, ReplaceDisplayAndOtherFields)
{
    Fields f;
    f.Change(PropReplaceNumber, "0x3e7");
    EXPECT_EQ(f.values[PropReplaceNumber], "0x3E7");
    EXPECT_TRUE(f.Change(PropReplaceNumber, "999").writes.empty());
    f.values[PropSearchCode] = "Shift-JIS";
    EXPECT_FALSE(f.Change(PropReplaceText, "AB").discardPattern);
    EXPECT_EQ(f.values[PropReplaceNumber], "0x4142");

    EXPECT_EQ(f.Change(PropViewCode, "EBCDIK").viewCharCode, 8);
    EXPECT_EQ(f.Change(PropViewOrder, "ビッグエンディアン").viewByteOrder, 1);
    EXPECT_EQ(f.Change(PropViewOrder, "リトルエンディアン").viewByteOrder, 0);
    EXPECT_EQ(f.Change(PropSyncScroll, "ON").syncScroll, true);
    EXPECT_EQ(f.Change(PropSyncScroll, "OFF").syncScroll, false);

    // Blanks left in a masked address become zeros.
    f.Change(PropJumpAddress, "00000000-1   2   ");
    EXPECT_EQ(f.values[PropJumpAddress], "00000000-10002000");
    f.Change(PropSameRange, "  1     ");
    EXPECT_EQ(f.values[PropSameRange], "00100000");
}

TEST(PropertyRulesTest, AddressAndRangeTextsAndAcceptedCharacters)
{
    using namespace PropertyRules;
    EXPECT_EQ(AddressText(0), "00000000-00000000");
    EXPECT_EQ(AddressText(0x123456789ABULL), "00000123-456789AB");
    EXPECT_EQ(RangeLengthText(0x10, 0x1F), "00000010");
    EXPECT_EQ(RangeLengthText(0x20, 0x10), "00000001"); // cursor before the start
    EXPECT_EQ(RangeLengthText(0x10, 0x10), "00000001");
    EXPECT_EQ(RangeLengthText(0, 0x1FFFFFFFFULL), "00000000"); // the low 32 bits of the length
    EXPECT_EQ(ReadHexField("00000001-00000010"), 0x100000010ULL);
    EXPECT_EQ(ReadHexField("00000000-00000000"), 0u);

    EXPECT_TRUE(Accepts(PropertyDefinition(PropSearchDecimal), "0123456789"));
    EXPECT_FALSE(Accepts(PropertyDefinition(PropSearchDecimal), "12a"));
    EXPECT_FALSE(Accepts(PropertyDefinition(PropSearchDecimal), "-1"));
    EXPECT_TRUE(Accepts(PropertyDefinition(PropSearchHex), "0?FF??D0"));
    EXPECT_FALSE(Accepts(PropertyDefinition(PropSearchHex), "0G"));
    EXPECT_TRUE(Accepts(PropertyDefinition(PropReplaceNumber), "0x3eF"));
    EXPECT_FALSE(Accepts(PropertyDefinition(PropReplaceNumber), "0X3"));
    EXPECT_TRUE(Accepts(PropertyDefinition(PropSearchText), "何でも"));

    EXPECT_EQ(NameOfCharCode(5), "UnicodeBE");
    EXPECT_EQ(NameOfCharCode(9), "Shift-JIS");
    EXPECT_EQ(NameOfCharCode(-1), "Shift-JIS");
    EXPECT_EQ(CharCodeOfName("ASCII"), 0);
    EXPECT_EQ(JumpTypeOf("上相対値"), 2);
}

TEST(PropertyRulesTest, RequestsBuiltFromTheFields)
{
    Fields f;
    EXPECT_FALSE(PropertyRules::BuildSearchPattern(f.Reader()).has_value()); // empty 16進数
    f.values[PropSearchHex] = "0?FF??D0";
    auto little = PropertyRules::BuildSearchPattern(f.Reader());
    ASSERT_TRUE(little);
    EXPECT_EQ(little->Entries(), (std::vector<uint16_t>{0xD0, 0x1100, 0xFF, 0x0100}));
    f.values[PropSearchText] = "x"; // a string forces written order
    auto written = PropertyRules::BuildSearchPattern(f.Reader());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Entries(), (std::vector<uint16_t>{0x0100, 0xFF, 0x1100, 0xD0}));

    EXPECT_FALSE(PropertyRules::BuildSameSearchRequest(f.Reader()).has_value()); // バイト数 0
    f.values[PropSameBytes] = "4";
    f.values[PropSameStart] = "00000000-00000100";
    auto same = PropertyRules::BuildSameSearchRequest(f.Reader());
    ASSERT_TRUE(same);
    EXPECT_EQ(same->n, 4);
    EXPECT_EQ(same->start, 0x100u);
    EXPECT_EQ(same->end, 0x10100u);
    EXPECT_EQ(same->groupLimit, 50);
    // A range running past the last address stops there.
    f.values[PropSameStart] = "FFFFFFFF-FFFFFFF0";
    EXPECT_EQ(PropertyRules::BuildSameSearchRequest(f.Reader())->end, ~uint64_t(0));

    auto sum = PropertyRules::BuildSumRequest(f.Reader());
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->first.start, 0u);
    EXPECT_EQ(sum->first.end, 1u);
    EXPECT_EQ(sum->second, 0);
    f.values[PropSumMethod] = "SHA-256";
    f.values[PropSumInitial] = "FF";
    f.values[PropSumStart] = "00000000-00000010";
    f.values[PropSumEnd] = "00000000-00000020";
    sum = PropertyRules::BuildSumRequest(f.Reader());
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->second, 5);
    EXPECT_EQ(sum->first.initial, 0xFFu);
    f.values[PropSumEnd] = "00000000-0000000F";
    EXPECT_FALSE(PropertyRules::BuildSumRequest(f.Reader()).has_value());
}
