// Saving when things go wrong: full disks, backups that cannot be made, pipes as targets, names
// that are not UTF-8, and files changed by another program under a direct edit.
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "search/ReplaceEngine.h"
#include "search/ReplaceRequest.h"
#include "search/SearchPattern.h"

#include "ScriptedPrompter.h"
#include "SmallFileSystem.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Overwrite(CQuorvaneDoc& doc, uint32_t at, char value)
{
    const uint8_t old = doc.ByteAt(at);
    doc.Record(false, at, &old, 1, 0);
    doc.OverwriteBytes(at, reinterpret_cast<const uint8_t*>(&value), 1);
    doc.SyncFileSize();
}

QByteArray ReadNative(const QString& path)
{
    QFile f;
    if (!OpenNativeFile(f, path, QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

} // namespace

TEST(DocSaveSafety, AFullDiskFailsTheSaveAndKeepsFileAndBackup)
{
    SmallFileSystem fs(256);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    TestSettings settings;
    ScriptedPrompter prompts;
    const QByteArray old = TempFiles::Random(10006, 7);
    const QString path = fs.Path("small.bin");
    ASSERT_TRUE(WriteFileSafely(path, old, nullptr));
    ASSERT_TRUE(WriteFileSafely(path + ".bak", "older backup", nullptr));
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    fs.Fill();

    Overwrite(doc, 0, 'Z');
    EXPECT_FALSE(doc.DoSave(path));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "エラー");
    EXPECT_EQ(prompts.asked[0].text, SystemErrorText(ENOSPC));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(TempFiles::Read(path), old);
    EXPECT_EQ(TempFiles::Read(path + ".bak"), "older backup");
    EXPECT_EQ(fs.Others({"small.bin", "small.bin.bak", "filler"}), QStringList{});

    // With room again the save goes through and the backup holds the file as it was.
    QFile::remove(fs.Path("filler"));
    ASSERT_TRUE(doc.DoSave(path));
    EXPECT_EQ(TempFiles::Read(path + ".bak"), old);
    EXPECT_EQ(TempFiles::Read(path)[0], 'Z');
}

TEST(DocSaveSafety, AFailingSyncOrABackupThatCannotBeMadeStopsBeforeTheTarget)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.Write("d.bin", "disk");
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    Overwrite(doc, 0, 'D');

    // The final sync fails (a full disk seen late, a network file system): nothing is replaced.
    SafeFileWriter::s_failureHook = [](SafeFileWriter::Step s) { return s == SafeFileWriter::Step::Sync ? ENOSPC : 0; };
    EXPECT_FALSE(doc.DoSave(path));
    SafeFileWriter::s_failureHook = nullptr;
    EXPECT_EQ(prompts.LastText(), SystemErrorText(ENOSPC));
    EXPECT_EQ(TempFiles::Read(path), "disk");
    EXPECT_FALSE(QFile::exists(path + ".bak"));
    EXPECT_TRUE(doc.IsModified());

    // The backup's name is taken by a folder: the user is asked; No leaves the file alone.
    ASSERT_TRUE(QDir().mkpath(path + ".bak"));
    prompts.asked.clear();
    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(doc.DoSave(path));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "エラー");
    EXPECT_EQ(prompts.asked[0].buttons, PromptButtons::YesNo);
    EXPECT_TRUE(prompts.asked[0].text.startsWith(QStringLiteral("バックアップファイル ") + path + ".bak を作成できませんでした。"));
    EXPECT_TRUE(prompts.asked[0].text.endsWith(QStringLiteral("バックアップなしで保存しますか?")));
    EXPECT_EQ(TempFiles::Read(path), "disk");
    EXPECT_TRUE(doc.IsModified());
    // Yes saves without a backup.
    prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(doc.DoSave(path));
    EXPECT_EQ(TempFiles::Read(path), "Disk");
    EXPECT_TRUE(QFileInfo(path + ".bak").isDir());

    // Save as onto a pipe is refused at once instead of waiting for a reader.
    const QString fifo = files.Path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Overwrite(doc, 1, 'I');
    EXPECT_FALSE(doc.DoSave(fifo));
    EXPECT_EQ(prompts.LastText(), fifo + QStringLiteral(" は通常のファイルではありません。"));
    EXPECT_EQ(doc.PathName(), path);
}

TEST(DocSaveSafety, NamesThatAreNotUtf8OpenSaveAndBackUp)
{
    const QByteArray raw = "caf\xE9-\xFF\xFE.bin"; // Latin-1 "é" and two bytes that are never UTF-8
    const QString name = PathFromNative(raw);
    EXPECT_EQ(PathToNative(name), raw);
    EXPECT_TRUE(HasForeignBytes(name));
    EXPECT_EQ(PathForDisplay(name), QStringLiteral("caf\\xE9-\\xFF\\xFE.bin"));
    // Valid UTF-8 (also outside the BMP) is decoded as Qt decodes it and stays ordinary.
    const QByteArray utf8 = "データ\xF0\x9F\x98\x80.bin";
    EXPECT_EQ(PathFromNative(utf8), QString::fromUtf8(utf8));
    EXPECT_FALSE(HasForeignBytes(PathFromNative(utf8)));
    // Overlong forms and encoded surrogates are not UTF-8 either, and come back byte for byte.
    for (const QByteArray& odd : {QByteArray("\xC0\xAF"), QByteArray("\xED\xA0\x80"), QByteArray("\xF4\x90\x80\x80")})
        EXPECT_EQ(PathToNative(PathFromNative(odd)), odd);
    // URLs (drops, dialogs) and stored settings keep the bytes.
    const QString full = QStringLiteral("/tmp/") + name;
    EXPECT_EQ(PathFromUrl(UrlFromPath(full)), full);
    EXPECT_EQ(PathFromUrl(QUrl(QStringLiteral("file:///tmp/caf%E9-%FF%FE.bin"))), full);
    EXPECT_EQ(PathFromStored(PathToStored(full)), full);
    EXPECT_EQ(PathToStored(QStringLiteral("/tmp/a.bin")), QStringLiteral("/tmp/a.bin"));

    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QString path = files.dir.path() + QLatin1Char('/') + name;
    const int fd = ::open((QFile::encodeName(files.dir.path()) + '/' + raw).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "bytes", 5), 5);
    ::close(fd);
    EXPECT_TRUE(StatPath(path).isFile);

    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path)) << prompts.LastText().toStdString();
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.ByteAt(0), 'b');
    Overwrite(doc, 0, 'B');
    ASSERT_TRUE(doc.DoSave(path)) << prompts.LastText().toStdString();
    EXPECT_EQ(ReadNative(path), "Bytes");
    EXPECT_EQ(ReadNative(path + ".bak"), "bytes");
    ASSERT_TRUE(doc.Reload());
    EXPECT_EQ(doc.ByteAt(0), 'B');

    // In direct edit mode too.
    CQuorvaneDoc direct;
    ASSERT_TRUE(direct.OnOpenDocument(path, true));
    direct.SetEditLock(0);
    ASSERT_TRUE(direct.DiskWrite(1, reinterpret_cast<const uint8_t*>("!!"), 2, true, false));
    EXPECT_EQ(ReadNative(path), "B!!ytes");
    EXPECT_TRUE(prompts.asked.empty());
    // Qt cannot see these names, so its temporary folder cannot remove them.
    ::unlink(PathToNative(path).constData());
    ::unlink(PathToNative(path + ".bak").constData());
}

TEST(DocSaveSafety, DirectEditStopsWhenAnotherProgramChangesTheFile)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    // 3 MiB and a bit: an insertion at 0 moves four blocks, a deletion three.
    const QByteArray bytes = TempFiles::Random(3 * 0x100000 + 100, 9);
    const QString path = files.Write("big.bin", bytes);
    CQuorvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetEditLock(0);

    // Cut short by another program between two block moves of an insertion.
    int moves = 0;
    CQuorvaneDoc::s_blockMoveHook = [&](uint64_t) {
        if (++moves == 2)
            ::truncate(QFile::encodeName(path).constData(), 256);
    };
    EXPECT_FALSE(doc.DiskWrite(0, reinterpret_cast<const uint8_t*>("AB"), 2, true, false));
    EXPECT_EQ(QFileInfo(path).size(), 256); // left as the other program made it, not refilled
    ASSERT_FALSE(prompts.asked.empty());
    EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("ほかのプログラムによって長さが変更されました")));

    // Changed between two edits: the next edit refuses to start.
    files.Write("big.bin", bytes);
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetEditLock(0);
    CQuorvaneDoc::s_blockMoveHook = nullptr;
    ::truncate(QFile::encodeName(path).constData(), 1000);
    prompts.asked.clear();
    EXPECT_FALSE(doc.DiskRemove(10, 5));
    EXPECT_FALSE(doc.DiskWrite(2000, reinterpret_cast<const uint8_t*>("X"), 1, false, false));
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(QFileInfo(path).size(), 1000);

    // Replaced by another file under the same name (a save by another editor): refused too.
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetEditLock(0);
    ASSERT_TRUE(QFile::rename(files.Write("other.bin", QByteArray(1000, 'n')), path + ".new"));
    ASSERT_EQ(::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_FALSE(doc.DiskWrite(0, reinterpret_cast<const uint8_t*>("X"), 1, false, false));
    EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("ほかのファイルに置き換えられました")));
    EXPECT_EQ(TempFiles::Read(path), QByteArray(1000, 'n'));

    // A replace that shortens every hit, cut short by another program midway: it stops and says so.
    files.Write("big.bin", bytes);
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetEditLock(0);
    moves = 0;
    CQuorvaneDoc::s_blockMoveHook = [&](uint64_t) {
        if (++moves == 3)
            ::truncate(QFile::encodeName(path).constData(), 256);
    };
    const auto pattern = SearchPattern::FromHexText(QString::fromLatin1(bytes.mid(0x100, 2).toHex().toUpper()), true);
    ASSERT_TRUE(pattern);
    const auto request = ReplaceRequest::Build(QString(), false, ReplaceScope::Whole);
    ASSERT_TRUE(request);
    SearchCursor state;
    ReplaceCallbacks callbacks;
    callbacks.decide = [](const SearchCursor&) { return ReplaceDecision::ReplaceAll; };
    const ReplaceOutcome outcome = RunReplace(doc, *pattern, *request, state, callbacks);
    CQuorvaneDoc::s_blockMoveHook = nullptr;
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(QFileInfo(path).size(), 256);
}
