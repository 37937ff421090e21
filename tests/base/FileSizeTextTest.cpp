// The status bar's file-size text and the recent-file list.
#include "base/FileSizeText.h"
#include "base/RecentFileList.h"

#include "TestSettings.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(FileSizeTextTest, ListsEveryUnitFromTheHighestDownToBytes)
{
    EXPECT_EQ(FormatFileSize(0), "0Byte");
    EXPECT_EQ(FormatFileSize(1023), "1023Byte");
    EXPECT_EQ(FormatFileSize(1024), "1K+0Byte");
    EXPECT_EQ(FormatFileSize(5000), "4K+904Byte");
    EXPECT_EQ(FormatFileSize(1048576), "1M+0K+0Byte");
    EXPECT_EQ(FormatFileSize(1048576 + 5), "1M+0K+5Byte");
    EXPECT_EQ(FormatFileSize(1073741824), "1G+0M+0K+0Byte");
    EXPECT_EQ(FormatFileSize((1ull << 30) * 3 + (1ull << 20) * 1023 + 1024 * 1023 + 1023), "3G+1023M+1023K+1023Byte");
    // Gigabytes are not reduced, and sizes past 2^31 GB are not cut to 32 bits.
    EXPECT_EQ(FormatFileSize(4096ull << 30), "4096G+0M+0K+0Byte");
    EXPECT_EQ(FormatFileSize(~0ull), "17179869183G+1023M+1023K+1023Byte");
}

TEST(FileSizeTextTest, RecentFilesKeepSixNewestFirstWithoutDuplicates)
{
    TestSettings settings;
    CRecentFileList list;
    const QString base = settings.dir.path();
    for (int i = 0; i < 8; ++i)
        list.Add(base + QStringLiteral("/f%1.bin").arg(i));
    ASSERT_EQ(list.Entries().size(), 6);
    EXPECT_EQ(list.First(), QDir::toNativeSeparators(base + "/f7.bin"));
    EXPECT_EQ(list.Entries().back(), QDir::toNativeSeparators(base + "/f2.bin"));

    // Opening a listed file again moves it to the top instead of listing it twice.
    list.Add(base + "/f4.bin");
    EXPECT_EQ(list.Entries().size(), 6);
    EXPECT_EQ(list.First(), QDir::toNativeSeparators(base + "/f4.bin"));
    EXPECT_EQ(list.Entries().count(QDir::toNativeSeparators(base + "/f4.bin")), 1);
    EXPECT_EQ(list.MenuText(0), "&1 " + QDir::toNativeSeparators(base + "/f4.bin"));

    // A "&" in a path is shown, not taken as the item's mnemonic.
    list.Add(base + "/a&b.bin");
    EXPECT_TRUE(list.MenuText(0).endsWith("/a&&b.bin"));

    list.WriteList(*settings.store);
    CRecentFileList again;
    again.ReadList(*settings.store);
    EXPECT_EQ(again.Entries(), list.Entries());

    again.Remove(0);
    again.Remove(17); // out of range: nothing happens
    again.WriteList(*settings.store);
    CRecentFileList third;
    third.ReadList(*settings.store);
    EXPECT_EQ(third.Entries().size(), 5);
    EXPECT_EQ(third.First(), QDir::toNativeSeparators(base + "/f4.bin"));
}
