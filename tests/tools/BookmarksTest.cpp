// The bookmark rules of a view: order, toggling, stepping, descriptions, rows and import text.
#include "tools/Bookmarks.h"

#include <gtest/gtest.h>

TEST(BookmarksTest, ToggleKeepsOrderAndStepsFindNeighbours)
{
    CBookmarks marks;
    EXPECT_TRUE(marks.Toggle(0x30).added);
    EXPECT_EQ(marks.Toggle(0x10).index, 0u);
    const CBookmarks::Change mid = marks.Toggle(0x20);
    EXPECT_TRUE(mid.added);
    EXPECT_EQ(mid.index, 1u); // the tab inserts its row at the same index
    EXPECT_EQ(marks.Addresses(), (std::vector<uint64_t>{0x10, 0x20, 0x30}));
    // Twice at one address: back as it was.
    marks.Toggle(0x25);
    const CBookmarks::Change removed = marks.Toggle(0x25);
    EXPECT_FALSE(removed.added);
    EXPECT_EQ(removed.index, 2u);
    EXPECT_EQ(marks.Addresses(), (std::vector<uint64_t>{0x10, 0x20, 0x30}));

    EXPECT_EQ(marks.Previous(0x30), 0x20u);
    EXPECT_EQ(marks.Next(0x10), 0x20u);
    EXPECT_EQ(marks.Next(0x15), 0x20u);
    EXPECT_FALSE(marks.Previous(0x10).has_value()); // nothing below every bookmark
    EXPECT_FALSE(marks.Next(0x30).has_value());
    EXPECT_TRUE(marks.Contains(0x20));
    EXPECT_FALSE(marks.Contains(0x21));
    // Addresses above 4 GiB are whole 64-bit addresses.
    marks.Toggle(0x100000010ull);
    EXPECT_EQ(marks.Next(0x30), 0x100000010ull);
}

TEST(BookmarksTest, LoadedListsKeepTheirOrderAndDescriptionsAreChecked)
{
    CBookmarks marks;
    marks.Assign({{0x50, QString()}, {0x10, QStringLiteral("先頭")}});
    EXPECT_EQ(marks.Addresses(), (std::vector<uint64_t>{0x50, 0x10})); // not sorted
    // Previous walks from the end, next from the start, whatever the order.
    EXPECT_EQ(marks.Previous(0x60), 0x10u);
    EXPECT_EQ(marks.Next(0), 0x50u);

    EXPECT_TRUE(marks.SetDescription(0, QStringLiteral("見出し")));
    EXPECT_TRUE(marks.SetDescription(1, QString())); // an empty text is stored too
    EXPECT_FALSE(marks.SetDescription(2, QStringLiteral("x")));
    EXPECT_FALSE(marks.SetDescription(-1, QStringLiteral("x")));
    const auto rows = marks.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, "00000000-00000050");
    EXPECT_EQ(rows[0].second, QStringLiteral("見出し"));
    EXPECT_EQ(rows[1].second, QString());

    EXPECT_EQ(marks.ImportText(), "50\r\n10\r\n");
    EXPECT_EQ(BookmarkListLines(marks.List()),
              (QStringList{QStringLiteral("00000000-00000050\t見出し"), QStringLiteral("00000000-00000010\t")}));
    marks.Clear();
    EXPECT_TRUE(marks.IsEmpty());
    EXPECT_EQ(marks.ImportText(), QString());
}
