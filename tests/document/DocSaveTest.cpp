// Saving with backups, failed saves that leave everything as it was, and reloading.
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void Overwrite(CQuorvaneDoc& doc, uint32_t at, char value)
{
    const uint8_t old = doc.ByteAt(at);
    doc.Record(false, at, &old, 1, 0);
    doc.OverwriteBytes(at, reinterpret_cast<const uint8_t*>(&value), 1);
    doc.SyncFileSize();
}

} // namespace

TEST(DocSave, BackupHoldsThePreviousContents)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Write("data.bin", "first");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    Overwrite(doc, 0, 'F');
    ASSERT_TRUE(doc.DoSave(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(TempFiles::Read(path), "First");
    EXPECT_EQ(TempFiles::Read(path + ".bak"), "first");
    EXPECT_TRUE(doc.CanUndo()); // UndobufClear is off by default
    Overwrite(doc, 1, 'I');
    ASSERT_TRUE(doc.DoSave(path));
    EXPECT_EQ(TempFiles::Read(path + ".bak"), "First"); // the older backup is replaced
    EXPECT_EQ(TempFiles::Read(path), "FIrst");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(DocSave, NoBackupForANewFileOrWhenTheGroupSaysNo)
{
    TestSettings settings;
    TempFiles files;
    CQuorvaneDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.DoSave(files.Path("new.bin")));
    EXPECT_TRUE(QFile::exists(files.Path("new.bin")));
    EXPECT_FALSE(QFile::exists(files.Path("new.bin.bak")));
    EXPECT_EQ(doc.PathName(), QFileInfo(files.Path("new.bin")).absoluteFilePath());

    settings->SetGroupSetting(SettingId::Backup, 0, "*.dat");
    settings->SetGroupSetting(SettingId::UndobufClear, 1, "*.dat");
    const QString path = files.Write("x.dat", "abc");
    CQuorvaneDoc dat;
    ASSERT_TRUE(dat.OnOpenDocument(path));
    Overwrite(dat, 0, 'Z');
    ASSERT_TRUE(dat.DoSave(path));
    EXPECT_FALSE(QFile::exists(path + ".bak"));
    EXPECT_FALSE(dat.CanUndo()); // UndobufClear empties the journals on save
}

TEST(DocSave, AFailedSaveLeavesFileAndDocumentAsTheyWere)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Write("keep.bin", "original");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    Overwrite(doc, 0, 'O');
    EXPECT_FALSE(doc.DoSave(files.Path("no/such/folder/out.bin")));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "エラー");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.CanUndo());
    EXPECT_EQ(doc.PathName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(TempFiles::Read(path), "original");

    // A folder that exists but takes no new files: permission bits stop other users, and for
    // root (as in CI) /proc takes no files at all.
    QString readOnlyFolder = QStringLiteral("/proc");
    if (::geteuid() != 0) {
        readOnlyFolder = files.Path("locked");
        ASSERT_TRUE(QDir().mkpath(readOnlyFolder));
        ASSERT_TRUE(QFile::setPermissions(readOnlyFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    EXPECT_FALSE(doc.DoSave(readOnlyFolder + "/quorvane-out.bin"));
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[1].caption, "エラー");
    EXPECT_FALSE(QFile::exists(readOnlyFolder + "/quorvane-out.bin"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), QFileInfo(path).absoluteFilePath());
    QFile::setPermissions(readOnlyFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(DocSave, ReloadAsksAndReadsTheFileAgain)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Write("r.bin", "disk");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    Overwrite(doc, 0, 'D');

    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(doc.Reload());
    EXPECT_EQ(doc.ByteAt(0), 'D');
    EXPECT_EQ(prompts.asked[0].text, "r.bin への変更を保存しますか?");
    EXPECT_EQ(prompts.asked[0].caption, "Quorvane");

    // The file was replaced on disk meanwhile; No discards the edits and shows the new file.
    files.Write("r.bin", "replaced");
    prompts.answers = {PromptAnswer::No};
    ASSERT_TRUE(doc.Reload());
    EXPECT_EQ(doc.GetFileSize(), 8u);
    EXPECT_EQ(doc.ByteAt(0), 'r');
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.IsModified());

    // Yes saves first (with its backup), then reads back what was saved.
    Overwrite(doc, 0, 'R');
    prompts.answers = {PromptAnswer::Yes};
    ASSERT_TRUE(doc.Reload());
    EXPECT_EQ(TempFiles::Read(path), "Replaced");
    EXPECT_EQ(TempFiles::Read(path + ".bak"), "replaced");

    // A file that vanished: the document keeps what it holds.
    QFile::remove(path);
    Overwrite(doc, 1, 'E');
    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(doc.Reload());
    EXPECT_EQ(doc.ByteAt(1), 'E');
    EXPECT_TRUE(doc.IsModified());
}
