// Settings groups: defaults, lookup by extension, cursor positions, removal of the tree.
#include "TestSettings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(SettingsStore, DefaultsWhenGroupOrValueMissing)
{
    TestSettings s;
    s->SetMenuBarColor(0x00ABCDEF);
    EXPECT_EQ(s->GetGroupSetting(SettingId::CharCode, "*.*"), 2);
    EXPECT_EQ(s->GetGroupSetting(SettingId::Backup, "*.xyz"), 1);
    EXPECT_EQ(s->GetGroupSetting(SettingId::FontSize, "*.*"), 14);
    EXPECT_EQ(s->GetGroupSetting(SettingId::Color_BookmarkBk, "*.*"), 0xFFEA00);
    EXPECT_EQ(s->GetGroupSetting(SettingId::Color_AddressBk, "*.*"), 0x00ABCDEF);
    EXPECT_EQ(s->GetGroupSetting(SettingId::Color_StructSelTxt, "*.*"), 0x50FF00);
    EXPECT_EQ(s->GetGroupFontName("*.*"), "FixedSys");
    // FontName and ids outside the table read as 0 and write nothing.
    EXPECT_EQ(s->GetGroupSetting(SettingId::FontName, "*.*"), 0);
    EXPECT_EQ(s->GetGroupSetting(static_cast<SettingId>(29), "*.*"), 0);
    s->SetGroupSetting(SettingId::FontName, 5, "*.*");
    s->SetGroupSetting(static_cast<SettingId>(-1), 5, "*.*");
    EXPECT_FALSE(s->GroupExists("*.*"));
}

TEST(SettingsStore, WriteDefaultGroupWritesEveryValue)
{
    TestSettings s;
    s->SetMenuBarColor(0x00112233);
    s->WriteDefaultGroup();
    ASSERT_TRUE(s->GroupExists("*.*"));
    EXPECT_EQ(s->Value("Settings/ExtSetting/*.*/FontName").toString(), "FixedSys");
    EXPECT_EQ(s->Value("Settings/ExtSetting/*.*/Color_AddressBk").toInt(), 0x00112233);
    EXPECT_EQ(s->Value("Settings/ExtSetting/*.*/Color_FindBk").toInt(), 0xC88CFF);
    s->SetGroupSetting(SettingId::Editmode, 1, "*.*");
    EXPECT_EQ(s->GetGroupSetting(SettingId::Editmode, "*.*"), 1);
}

TEST(SettingsStore, FindSettingsGroupByExtension)
{
    TestSettings s;
    s->WriteDefaultGroup();
    // Only "*.*": everything takes it, also a name without a dot.
    EXPECT_EQ(s->FindSettingsGroup("/tmp/report.txt"), "*.*");
    EXPECT_EQ(s->FindSettingsGroup("/tmp/archive"), "*.*");

    s->SetGroupSetting(SettingId::CharCode, 6, "*.dat");
    // The existence test ignores case like registry key names, and values are shared.
    EXPECT_EQ(s->FindSettingsGroup("/tmp/data.DAT").compare("*.dat", Qt::CaseInsensitive), 0);
    EXPECT_EQ(s->GetGroupSetting(SettingId::CharCode, s->FindSettingsGroup("/tmp/data.DAT")), 6);

    // A pattern group "*.t*": ".t" followed by a star occurs in the name, and ".t" occurs in the key.
    s->SetGroupSetting(SettingId::CharCode, 4, "*.t*");
    EXPECT_EQ(s->FindSettingsGroup("/tmp/report.txt"), "*.t*");
    // The pattern match itself is case-sensitive.
    EXPECT_EQ(s->FindSettingsGroup("/tmp/report.TXT"), "*.*");
    // A final piece must end the key.
    s->SetGroupSetting(SettingId::CharCode, 1, "*bin");
    EXPECT_EQ(s->FindSettingsGroup("/tmp/x.bin"), "*bin");
    EXPECT_EQ(s->FindSettingsGroup("/tmp/x.binx"), "*.*");
    // A name made of stars only matches every key.
    s->DeleteGroup("*.t*");
    s->SetGroupSetting(SettingId::CharCode, 3, "**");
    EXPECT_EQ(s->FindSettingsGroup("/tmp/report.txt"), "**");
}

TEST(SettingsStore, CursorPositionsKeepFullPaths)
{
    TestSettings s;
    EXPECT_TRUE(s->CursorRecordingEnabled());
    EXPECT_FALSE(s->ReadCursorPosition("/a/b%c.bin").has_value());
    s->WriteCursorPosition("/a/b%c.bin", 0x1234);
    s->WriteCursorPosition("C:\\data\\x.bin", 7);
    EXPECT_EQ(s->ReadCursorPosition("/a/b%c.bin").value(), 0x1234u);
    EXPECT_EQ(s->ReadCursorPosition("C:\\data\\x.bin").value(), 7u);
    // Names compare case-sensitively.
    EXPECT_FALSE(s->ReadCursorPosition("/A/b%c.bin").has_value());
    s->SetFolderHistory({"/x/y", "/z"});
    EXPECT_EQ(s->FolderHistory(), QStringList({"/x/y", "/z"}));
    EXPECT_EQ(s->FolderSearchFileTypes(), "*.* *.exe *.dat *.dat;*.ini");
}

TEST(SettingsStore, RemoveTreeKeepsOtherProductsOfTheMaker)
{
    QTemporaryDir dir;
    const QString maker = dir.path() + "/Pellamy";
    {
        auto store = CSettingsStore::OpenFile(maker + "/Quorvane.ini");
        store->WriteDefaultGroup();
        store->Sync();
        QFile other(maker + "/OtherTool.ini");
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write("[x]\ny=1\n");
        other.close();
        store->RemoveTree();
    }
    EXPECT_TRUE(QFile::exists(maker + "/OtherTool.ini"));
    EXPECT_FALSE(QFile::exists(maker + "/Quorvane.ini"));
    {
        QFile::remove(maker + "/OtherTool.ini");
        auto store = CSettingsStore::OpenFile(maker + "/Quorvane.ini");
        store->WriteDefaultGroup();
        store->Sync();
        store->RemoveTree();
    }
    EXPECT_FALSE(QDir(maker).exists());
}
