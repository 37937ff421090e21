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
    GrepLineRoles roles;
    // Lines arrive in blocks that need not end with a file's block.
    roles.Append(lines.mid(0, 2));
    roles.Append(lines.mid(2));
    EXPECT_EQ(GrepFileLine(1, roles), 0);
    EXPECT_EQ(GrepFileLine(2, roles), 0);
    EXPECT_EQ(GrepFileLine(5, roles), 4);
    // A file line is its own file line.
    EXPECT_EQ(GrepFileLine(4, roles), 4);
    EXPECT_EQ(GrepFileLine(0, roles), 0);
    // The empty line that ends a block hands back its block's file.
    EXPECT_EQ(GrepFileLine(3, roles), 0);
    // The total line and indices outside the list hand nothing back.
    EXPECT_EQ(GrepFileLine(7, roles), -1);
    EXPECT_EQ(GrepFileLine(8, roles), -1);
    EXPECT_EQ(GrepFileLine(-1, roles), -1);
    EXPECT_EQ(GrepFileLine(0, GrepLineRoles{}), -1);

    // Hits at 0x10000000 and above begin with neither "0" nor "全": still hit lines of their file,
    // and the path may begin with anything.
    GrepLineRoles high;
    high.Append({QStringLiteral("10000000.bin"), QStringLiteral("10000000"), QStringLiteral("10000008"), QString(),
                 QStringLiteral("全 2件")});
    EXPECT_EQ(GrepFileLine(2, high), 0);
    EXPECT_EQ(GrepFileLine(1, high), 0);
    EXPECT_EQ(GrepFileLine(0, high), 0);

    // A list emptied in the middle of a block: its remaining hit lines belong to no file, the
    // next block is whole again.
    GrepLineRoles orphan;
    orphan.Reset(false);
    orphan.Append({QStringLiteral("00000010"), QStringLiteral("00000020"), QString(), QStringLiteral("/c.bin"),
                   QStringLiteral("00000001"), QString(), QStringLiteral("全 3件")});
    EXPECT_EQ(GrepFileLine(1, orphan), -1);
    EXPECT_EQ(GrepFileLine(4, orphan), 3);

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
