// Opening documents in memory and in direct edit mode, group settings, the edit lock, disk edits.
#include "document/FileGrowth.h"
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "SmallFileSystem.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray StoreContents(CQuorvaneDoc& doc)
{
    QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
    doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
    return out;
}

} // namespace

TEST(QuorvaneDoc, OpensSmallAndEmptyFilesInMemory)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc empty;
    ASSERT_TRUE(empty.OnOpenDocument(files.Write("empty.bin", {})));
    EXPECT_EQ(empty.GetFileSize(), 0u);
    EXPECT_FALSE(empty.IsLoading());
    EXPECT_FALSE(empty.IsDirectEdit());
    EXPECT_EQ(empty.EditLock(), 0u);

    CQuorvaneDoc doc;
    const QByteArray bytes = TempFiles::Random(5000);
    ASSERT_TRUE(doc.OnOpenDocument(files.Write("a.bin", bytes)));
    EXPECT_EQ(doc.GetFileSize(), 5000u);
    EXPECT_EQ(StoreContents(doc), bytes);
    EXPECT_EQ(doc.ByteAt(4999), static_cast<uint8_t>(bytes[4999]));
    EXPECT_EQ(doc.Title(), "a.bin");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(QuorvaneDoc, GroupSettingsGiveColoursAndLock)
{
    TestSettings settings;
    TempFiles files;
    settings->SetGroupSetting(SettingId::Editmode, 1, "*.dat");
    settings->SetGroupSetting(SettingId::Color_FindBk, 0x123456, "*.dat");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(files.Write("x.DAT", "abc")));
    EXPECT_EQ(doc.EditLock(), 1u);
    EXPECT_EQ(doc.Colors()[DocColors::FindBk], 0x123456u);
    EXPECT_EQ(doc.Colors()[DocColors::BookmarkBk], 0xFFEA00u);
    doc.ToggleEditLock();
    EXPECT_EQ(doc.EditLock(), 0u);
    doc.ToggleEditLock();
    EXPECT_EQ(doc.EditLock(), 1u);

    CQuorvaneDoc fresh;
    fresh.OnNewDocument();
    EXPECT_EQ(fresh.EditLock(), 0u);
    EXPECT_EQ(fresh.Title(), "無題");
}

TEST(QuorvaneDoc, UnopenableFilesGiveAnErrorAndNoDocument)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(files.Path("missing.bin")));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "エラー");
    EXPECT_EQ(prompts.asked[0].icon, PromptIcon::Error);

    // A folder or a pipe is refused at once instead of blocking or reading nonsense.
    EXPECT_FALSE(doc.OnOpenDocument(files.dir.path()));
    const QString fifo = files.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(doc.OnOpenDocument(fifo));
    EXPECT_EQ(prompts.asked.size(), 3u);
}

TEST(QuorvaneDoc, HugeFilesAndRequestsOpenInDirectEditMode)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    // 4 GiB and more: direct edit without asking, edit-prohibited.
    const uint64_t huge = (uint64_t(1) << 32) + 100;
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(files.Sparse("huge.bin", huge, "END")));
    EXPECT_TRUE(doc.IsDirectEdit());
    EXPECT_EQ(doc.EditLock(), 1u);
    EXPECT_EQ(doc.GetFileSize(), huge);
    EXPECT_TRUE(prompts.asked.empty());
    // The window holds the rows on screen (less one row); bytes read from the end of the file.
    const uint64_t lastRow = (huge - 1) / 16;
    ASSERT_TRUE(doc.LoadWindow(lastRow - 2, 10));
    EXPECT_EQ(doc.ByteAt(huge - 3), 'E');
    EXPECT_EQ(doc.ByteAt(huge - 1), 'D');
    EXPECT_EQ(doc.ByteAt(0), 0); // off screen

    // A small file on request (Ctrl held during a drop, or the direct-edit command).
    CQuorvaneDoc small;
    ASSERT_TRUE(small.OnOpenDocument(files.Write("s.bin", "hello"), true));
    EXPECT_TRUE(small.IsDirectEdit());
    EXPECT_EQ(small.EditLock(), 1u);
    // Save-as copies the whole file, not just the rows on screen.
    ASSERT_TRUE(small.DoSave(files.Path("copy.bin")));
    EXPECT_EQ(TempFiles::Read(files.Path("copy.bin")), "hello");
}

TEST(QuorvaneDoc, FilesBetweenTwoAndFourGiBAskForDirectEditMode)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Sparse("big.bin", (uint64_t(1) << 31) + 5);
    CQuorvaneDoc doc;
    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(doc.OnOpenDocument(path));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "メモリが不足しています。\n直接編集モードで開きますか?");
    EXPECT_EQ(prompts.asked[0].buttons, PromptButtons::OkCancel);
    prompts.answers = {PromptAnswer::Ok};
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.IsDirectEdit());
    EXPECT_EQ(doc.EditLock(), 1u);
}

TEST(QuorvaneDoc, DiskWriteAndRemoveMoveTheTail)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    // 2.5 MB: an insertion at 0 moves two 1 MB blocks and a 0.5 MB block.
    QByteArray bytes = TempFiles::Random(0x280000, 3);
    const QString path = files.Write("d.bin", bytes);
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetWindowRows(0, 4);
    QSignalSpy sizes(&doc, &CQuorvaneDoc::fileSizeChanged);

    const QByteArray ins = "0123456789abcdef";
    ASSERT_TRUE(doc.DiskWrite(0, reinterpret_cast<const uint8_t*>(ins.data()), 16, true, true));
    bytes.prepend(ins);
    EXPECT_EQ(TempFiles::Read(path), bytes);
    EXPECT_EQ(doc.GetFileSize(), 0x280010u);
    EXPECT_EQ(doc.ByteAt(0), '0');
    EXPECT_FALSE(sizes.isEmpty());

    // In the middle, not on a block boundary; then an overwrite and a removal near the end.
    ASSERT_TRUE(doc.DiskWrite(0x100003, reinterpret_cast<const uint8_t*>("XYZ"), 3, true, false));
    bytes.insert(0x100003, "XYZ");
    ASSERT_TRUE(doc.DiskWrite(5, reinterpret_cast<const uint8_t*>("!"), 1, false, true));
    bytes[5] = '!';
    EXPECT_EQ(TempFiles::Read(path), bytes);
    ASSERT_TRUE(doc.DiskRemove(0x100001, 0x100000 + 7));
    bytes.remove(0x100001, 0x100000 + 7);
    EXPECT_EQ(TempFiles::Read(path), bytes);
    EXPECT_EQ(doc.GetFileSize(), static_cast<uint64_t>(bytes.size()));
    ASSERT_TRUE(doc.DiskRemove(0, 0x100000));
    bytes.remove(0, 0x100000);
    EXPECT_EQ(TempFiles::Read(path), bytes);
    // An overwrite that runs past the end makes the file longer; that is our own change, not
    // another program's.
    const uint64_t end = doc.GetFileSize();
    ASSERT_TRUE(doc.DiskWrite(end - 1, reinterpret_cast<const uint8_t*>("END"), 3, false, true));
    bytes.chop(1);
    bytes.append("END");
    EXPECT_EQ(TempFiles::Read(path), bytes);
    EXPECT_EQ(doc.GetFileSize(), end + 2);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(QuorvaneDoc, DiskEditsOfAVanishedOrReadOnlyFileFailCleanly)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Write("v.bin", "abcdef");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetWindowRows(0, 3);
    ASSERT_TRUE(doc.LoadWindow());
    if (geteuid() != 0) { // the superuser may write a read-only file
        chmod(path.toLocal8Bit().constData(), 0444);
        EXPECT_FALSE(doc.DiskWrite(0, reinterpret_cast<const uint8_t*>("Z"), 1, false, true));
        EXPECT_EQ(TempFiles::Read(path), "abcdef");
        chmod(path.toLocal8Bit().constData(), 0644);
    }
    QFile::remove(path);
    prompts.asked.clear();
    EXPECT_FALSE(doc.DiskWrite(0, reinterpret_cast<const uint8_t*>("Z"), 1, true, true));
    EXPECT_FALSE(doc.DiskRemove(0, 1));
    EXPECT_FALSE(QFile::exists(path)); // nothing created in its place
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(doc.ByteAt(0), 'a'); // the window keeps what it showed
}

TEST(QuorvaneDoc, AnInsertionTheDiskHasNoRoomForMovesNothing)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    // Three bytes short of a page boundary: the seven bytes inserted need one more page.
    const QByteArray bytes = TempFiles::Random(0x28000 - 3, 9);
    auto check = [&](const QString& path) {
        CQuorvaneDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path, true));
        doc.SetWindowRows(0, 4);
        prompts.asked.clear();
        EXPECT_FALSE(doc.DiskWrite(0x10, reinterpret_cast<const uint8_t*>("1234567"), 7, true, true));
        // Before, the file grew by 7 and its tail was half moved when the disk ran full.
        EXPECT_EQ(TempFiles::Read(path), bytes);
        EXPECT_EQ(doc.GetFileSize(), uint64_t(bytes.size()));
        EXPECT_FALSE(doc.LastDiskChangeTouchedFile());
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("ファイルは変更されていません"))) << prompts.LastText().toStdString();
    };

    // Injected: the reservation of the new length fails.
    {
        TempFiles files;
        const QString path = files.Write("i.bin", bytes);
        g_reserveFileLengthHook = [](uint64_t) { return ENOSPC; };
        check(path);
        // An overwrite that runs past the end grows the file as well.
        CQuorvaneDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path, true));
        EXPECT_FALSE(doc.DiskWrite(bytes.size() - 2, reinterpret_cast<const uint8_t*>("WXYZ"), 4, false, false));
        EXPECT_EQ(TempFiles::Read(path), bytes);
        g_reserveFileLengthHook = nullptr;
    }
    // For real: a small file system with no room left.
    SmallFileSystem fs(192);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    const QString path = fs.Path("full.bin");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    fs.Fill();
    check(path);
    // With room again the insertion goes through.
    QFile::remove(fs.Path("filler"));
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    ASSERT_TRUE(doc.DiskWrite(0x10, reinterpret_cast<const uint8_t*>("1234567"), 7, true, false));
    QByteArray grown = bytes;
    grown.insert(0x10, "1234567");
    EXPECT_EQ(TempFiles::Read(path), grown);
}
