// Tests of bookmark list files: both read forms, the written form and its limits.
#include "tools/BookmarkList.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(BookmarkListTest, WritesAndReadsBmlFiles)
{
    const std::vector<BOOKMARKLIST> list{{0x50, QStringLiteral("見出し")}, {0x10, QString()}, {0x1234567890ull, "x"}};
    const QByteArray bytes = SerializeBookmarkList(list);
    // "BML", then 8 + 1 + 2n bytes per entry: an empty description takes exactly 9 bytes.
    EXPECT_EQ(bytes.size(), 3 + (9 + 6) + 9 + (9 + 2));
    EXPECT_TRUE(bytes.startsWith("BML"));
    EXPECT_EQ(bytes.mid(3, 9), QByteArray::fromHex("500000000000000003"));
    EXPECT_EQ(ParseBookmarkList(bytes), list); // the file's order, not sorted

    QTemporaryDir dir;
    const QString path = dir.filePath("marks.lst");
    QString error;
    ASSERT_TRUE(WriteBookmarkList(path, list, &error)) << error.toStdString();
    std::vector<BOOKMARKLIST> read{{1, "old"}};
    ASSERT_TRUE(ReadBookmarkList(path, read, &error));
    EXPECT_EQ(read, list);
    EXPECT_FALSE(ReadBookmarkList(dir.filePath("missing.lst"), read, &error));
    EXPECT_TRUE(read.empty()); // emptied before the file is read
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(BookmarkAddressText(0x1A2F0), "00000000-0001A2F0");
}

TEST(BookmarkListTest, HeaderlessAndCutFiles)
{
    // No "BML": 4-byte addresses, a trailing part ignored.
    EXPECT_EQ(ParseBookmarkList(QByteArray::fromHex("1000000020000000")),
              (std::vector<BOOKMARKLIST>{{0x10, {}}, {0x20, {}}}));
    EXPECT_EQ(ParseBookmarkList(QByteArray::fromHex("100000002000")).size(), 1u);
    // "BML" with fewer than 8 bytes after it: nothing.
    EXPECT_TRUE(ParseBookmarkList(QByteArray("BML") + QByteArray(4, '\0')).empty());
    // A record cut inside its description keeps what could be read; a missing count reads as 0.
    QByteArray cut = QByteArray("BML") + QByteArray::fromHex("0100000000000000") + char(3) + QByteArray::fromHex("4100420043");
    auto list = ParseBookmarkList(cut);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].description, "AB");
    list = ParseBookmarkList(QByteArray("BML") + QByteArray::fromHex("0200000000000000"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].address, 2u);
    // The description ends at its first NUL.
    list = ParseBookmarkList(QByteArray("BML") + QByteArray::fromHex("0300000000000000") + char(3) + QByteArray::fromHex("410000004200"));
    EXPECT_EQ(list[0].description, "A");
}

TEST(BookmarkListTest, LongDescriptionsAreCutAt255Units)
{
    const QString longText(300, QLatin1Char('z'));
    auto back = ParseBookmarkList(SerializeBookmarkList({{7, longText}}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].description, longText.left(255));
    // A text of 256 units keeps 255, not 0; a surrogate pair at the cut is not split.
    back = ParseBookmarkList(SerializeBookmarkList({{7, QString(256, QLatin1Char('y'))}}));
    EXPECT_EQ(back[0].description.size(), 255);
    const QString pair = QString(254, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600");
    back = ParseBookmarkList(SerializeBookmarkList({{7, pair + "b"}}));
    EXPECT_EQ(back[0].description, QString(254, QLatin1Char('a')));
}
