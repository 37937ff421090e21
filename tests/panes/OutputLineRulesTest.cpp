// What the output pane's lines hand back: same-search address texts, the folder-search file line
// and bookmark addresses.
#include "panes/OutputLineRules.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace OutputLineRules;

TEST(OutputLineRulesTest, SameSearchLinesGiveAddressTextsAndTheLastTwoLinesNothing)
{
    // Short addresses are the first 8 characters; long ones lose the dash between the halves.
    EXPECT_EQ(SameJumpText(QStringLiteral("0001A2F0  (3)")), QStringLiteral("0001A2F0"));
    EXPECT_EQ(SameJumpText(QStringLiteral("00000001-0001A2F0")), QStringLiteral("000000010001A2F0"));
    EXPECT_EQ(SameJumpText(QStringLiteral("00000001-0001A2F0 extra")), QStringLiteral("000000010001A2F0"));
    // A "-" elsewhere than position 8 is kept: the view refuses such a text instead of jumping
    // to a made-up address.
    EXPECT_EQ(SameJumpText(QStringLiteral("12-4")), QStringLiteral("12-4"));
    EXPECT_EQ(SameJumpText(QString()), QString());

    // Lines: 2 addresses, the empty line, "2件".
    EXPECT_TRUE(SameLineJumps(0, 4));
    EXPECT_TRUE(SameLineJumps(1, 4));
    EXPECT_FALSE(SameLineJumps(2, 4));
    EXPECT_FALSE(SameLineJumps(3, 4));
    EXPECT_FALSE(SameLineJumps(-1, 4));
    EXPECT_FALSE(SameLineJumps(0, 1));
}

TEST(OutputLineRulesTest, FolderSearchFindsTheFileLineOfTheClickedBlock)
{
    const QStringList lines = {
        QStringLiteral("/data/a.bin"), QStringLiteral("00000010"), QStringLiteral("00000020"), QString(),
        QStringLiteral("/data/b.bin"), QStringLiteral("0000FF00"), QString(),
        QStringLiteral("全 3件"),
    };
    const auto at = [&](int i) { return lines.at(i); };
    const int n = static_cast<int>(lines.size());
    EXPECT_EQ(GrepFileLine(1, n, at), 0);
    EXPECT_EQ(GrepFileLine(2, n, at), 0);
    EXPECT_EQ(GrepFileLine(5, n, at), 4);
    // A file line is its own file line (the line above is the empty end of the block before).
    EXPECT_EQ(GrepFileLine(4, n, at), 4);
    EXPECT_EQ(GrepFileLine(0, n, at), 0);
    // The empty line that ends a block hands back its block's file.
    EXPECT_EQ(GrepFileLine(3, n, at), 0);
    // The total line and indices outside the list hand nothing back.
    EXPECT_EQ(GrepFileLine(7, n, at), -1);
    EXPECT_EQ(GrepFileLine(8, n, at), -1);
    EXPECT_EQ(GrepFileLine(-1, n, at), -1);
    EXPECT_EQ(GrepFileLine(0, 0, at), -1);

    // Nothing above but address lines: the selected line stands for itself.
    const QStringList orphan = {QStringLiteral("00000010"), QStringLiteral("00000020"), QStringLiteral("全 2件")};
    EXPECT_EQ(GrepFileLine(1, 3, [&](int i) { return orphan.at(i); }), 1);

    // An address line's address; all zeros is address 0.
    EXPECT_EQ(GrepHitAddress(QStringLiteral("0001A2F0")), 0x1A2F0u);
    EXPECT_EQ(GrepHitAddress(QStringLiteral("00000000")), 0u);
    EXPECT_EQ(GrepHitAddress(QStringLiteral("FFFFFFFF")), 0xFFFFFFFFu);
}

TEST(OutputLineRulesTest, BookmarkAddressesReadBothHalvesAndRefuseOtherText)
{
    EXPECT_EQ(BookmarkAddress(QStringLiteral("00000000-0001A2F0")), 0x1A2F0u);
    EXPECT_EQ(BookmarkAddress(QStringLiteral("00000001-00000000")), 0x100000000u);
    EXPECT_EQ(BookmarkAddress(QStringLiteral("FFFFFFFF-FFFFFFFF")), ~uint64_t(0));
    EXPECT_EQ(BookmarkAddress(QStringLiteral("00000000-00000000")), 0u);
    EXPECT_EQ(BookmarkAddress(QStringLiteral("1A2F0")), 0x1A2F0u);
    EXPECT_FALSE(BookmarkAddress(QStringLiteral("0000-0000")).has_value());
    EXPECT_FALSE(BookmarkAddress(QStringLiteral("00000000-0001A2FG")).has_value());
}
