// The safe writer: full disks, failing syncs and renames, refused targets, links and permissions.
#include "document/SafeFileWriter.h"

#include "SmallFileSystem.h"
#include "TempFiles.h"
#include "tools/BookmarkList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Sets the writer's failure seam for one scope.
struct InjectedFailure
{
    InjectedFailure(SafeFileWriter::Step step, int error)
    {
        SafeFileWriter::s_failureHook = [step, error](SafeFileWriter::Step s) { return s == step ? error : 0; };
    }
    ~InjectedFailure() { SafeFileWriter::s_failureHook = nullptr; }
};

QStringList Leftovers(const TempFiles& files, const QStringList& keep)
{
    QStringList names = QDir(files.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& k : keep)
        names.removeAll(k);
    return names;
}

} // namespace

TEST(SafeFileWriter, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    SmallFileSystem fs(256);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    const QString target = fs.Path("small.bin");
    const QByteArray old = TempFiles::Random(10006, 3);
    ASSERT_TRUE(WriteFileSafely(target, old, nullptr));
    const QString list = fs.Path("marks.lst");
    ASSERT_TRUE(WriteBookmarkList(list, {{0x10, QStringLiteral("前")}}, nullptr));
    fs.Fill();

    // A new version of the file, larger and smaller than a page: both fail, neither cuts it short.
    for (const qsizetype size : {qsizetype(16384), qsizetype(10006), qsizetype(100)}) {
        QString error;
        EXPECT_FALSE(WriteFileSafely(target, TempFiles::Random(size, 4), &error)) << size;
        EXPECT_EQ(error, SystemErrorText(ENOSPC)) << size;
        EXPECT_EQ(TempFiles::Read(target), old) << size;
    }
    // A list file and a new file on the full disk: an error, the old list, and no new file.
    QString error;
    std::vector<BOOKMARKLIST> many(2000, {0x20, QStringLiteral("後のブックマーク")});
    EXPECT_FALSE(WriteBookmarkList(list, many, &error));
    EXPECT_EQ(error, SystemErrorText(ENOSPC));
    std::vector<BOOKMARKLIST> back;
    ASSERT_TRUE(ReadBookmarkList(list, back, nullptr));
    EXPECT_EQ(back.size(), 1u);
    EXPECT_FALSE(CopyFileSafely(target, fs.Path("copy.bin"), &error));
    EXPECT_FALSE(QFile::exists(fs.Path("copy.bin")));
    EXPECT_EQ(fs.Others({"small.bin", "marks.lst", "filler"}), QStringList{}); // no temporary files left

    // Room again: the same write goes through.
    QFile::remove(fs.Path("filler"));
    const QByteArray next = TempFiles::Random(16384, 5);
    ASSERT_TRUE(WriteFileSafely(target, next, &error)) << error.toStdString();
    EXPECT_EQ(TempFiles::Read(target), next);
}

TEST(SafeFileWriter, EveryFailingStepLeavesTheTargetAsItWas)
{
    TempFiles files;
    const QString target = files.Write("t.bin", "before");
    using Step = SafeFileWriter::Step;
    for (const Step step : {Step::Create, Step::Write, Step::Sync, Step::Close, Step::Rename}) {
        InjectedFailure failure(step, step == Step::Sync ? EIO : ENOSPC);
        QString error;
        EXPECT_FALSE(WriteFileSafely(target, "after", &error)) << int(step);
        EXPECT_EQ(error, SystemErrorText(step == Step::Sync ? EIO : ENOSPC)) << int(step);
        EXPECT_EQ(TempFiles::Read(target), "before") << int(step);
        EXPECT_EQ(Leftovers(files, {"t.bin"}), QStringList{}) << int(step);
    }
    // The folder cannot be synced: the new file is in place, but the caller hears of it.
    {
        InjectedFailure failure(Step::FolderSync, EIO);
        QString error;
        EXPECT_FALSE(WriteFileSafely(target, "after", &error));
        EXPECT_EQ(error, SystemErrorText(EIO));
        EXPECT_EQ(TempFiles::Read(target), "after");
    }
    // A writer used after a failure keeps failing with the first error.
    InjectedFailure failure(Step::Write, ENOSPC);
    SafeFileWriter out(target);
    ASSERT_TRUE(out.Open());
    EXPECT_FALSE(out.Write("x", 1));
    EXPECT_FALSE(out.Write("y", 1));
    EXPECT_FALSE(out.Commit());
    EXPECT_EQ(out.ErrorString(), SystemErrorText(ENOSPC));
}

TEST(SafeFileWriter, RefusesTargetsThatAreNotRegularFiles)
{
    TempFiles files;
    const QString fifo = files.Path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = files.Path("sock");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sp = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(sp.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, sp.constData(), size_t(sp.size()));
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_TRUE(QDir().mkpath(files.Path("folder")));

    // Opening the FIFO for writing would wait for a reader: the test would hang here.
    for (const QString& path : {fifo, socketPath, files.Path("folder"), QStringLiteral("/dev/full"), QStringLiteral("/dev/null")}) {
        SafeFileWriter out(path);
        EXPECT_FALSE(out.Open()) << path.toStdString();
        EXPECT_EQ(out.ErrorString(), path + QStringLiteral(" は通常のファイルではありません。"));
        QString error;
        EXPECT_FALSE(MakeBackup(files.Write("src.bin", "x"), path, true, &error));
    }
    ::close(s);
    EXPECT_TRUE(IsWritableTarget(files.Path("new.bin"), nullptr));
}

TEST(SafeFileWriter, LinksStayLinksAndPermissionsStay)
{
    TempFiles files;
    const QString real = files.Write("real.bin", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    const QString link = files.Path("link.bin");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(WriteFileSafely(link, "new", nullptr));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TempFiles::Read(real), "new");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A shared backup is a second name of the old file; the save then gives the target a new one.
    ASSERT_TRUE(MakeBackup(real, real + ".bak", true, nullptr));
    ASSERT_TRUE(WriteFileSafely(real, "newer", nullptr));
    EXPECT_EQ(TempFiles::Read(real + ".bak"), "new");
    EXPECT_EQ(TempFiles::Read(real), "newer");
    // A copied backup (for files changed in place) is a file of its own, as private as the file.
    QFile::remove(real + ".bak");
    ASSERT_TRUE(MakeBackup(real, real + ".bak", false, nullptr));
    struct stat a {}, b {};
    ::stat(QFile::encodeName(real).constData(), &a);
    ::stat(QFile::encodeName(real + ".bak").constData(), &b);
    EXPECT_NE(a.st_ino, b.st_ino);
    EXPECT_EQ(TempFiles::Read(real + ".bak"), "newer");
    EXPECT_EQ(b.st_mode & 07777, 0640u);
    EXPECT_EQ(Leftovers(files, {"real.bin", "real.bin.bak", "link.bin"}), QStringList{});
}

// A writer killed before its rename leaves "<target>.<pid>-<tag>.qvtmp"; the next write of the
// same target removes those whose process is gone, and nothing else.
TEST(SafeFileWriter, TheNextWriteRemovesTheTemporaryFilesOfDeadWriters)
{
    TempFiles files;
    const QString target = files.Write("data.bin", "old");
    const QString own = QString::number(::getpid()); // alive: being written right now
    const QStringList dead = {"data.bin.999999999-abc.qvtmp", "data.bin.bak.999999999-abc.qvtmp"};
    const QStringList kept = {"data.bin." + own + "-abc.qvtmp", "data.bin.1-abc.qvtmp", "data.bin.xyz.qvtmp",
                              "other.bin.999999999-abc.qvtmp"};
    for (const QString& name : dead + kept)
        files.Write(name, "partial");
    QString error;
    ASSERT_TRUE(WriteFileSafely(target, "new", &error)) << error.toStdString();
    QStringList expected = kept + QStringList{"data.bin", "data.bin.bak.999999999-abc.qvtmp"};
    EXPECT_EQ(Leftovers(files, expected), QStringList{});
    EXPECT_TRUE(QFile::exists(files.Path("data.bin.bak.999999999-abc.qvtmp"))); // another target's
    for (const QString& name : kept)
        EXPECT_TRUE(QFile::exists(files.Path(name))) << name.toStdString();
    // The backup's own leftovers go when a backup is made.
    ASSERT_TRUE(MakeBackup(target, target + ".bak", true, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(files.Path("data.bin.bak.999999999-abc.qvtmp")));
    // A new writer's temporary file carries its process id.
    SafeFileWriter out(target);
    ASSERT_TRUE(out.Open());
    EXPECT_TRUE(QFileInfo(out.TemporaryPath()).fileName().startsWith("data.bin." + own + "-"));
}

// A kill between making the backup link and the rename leaves ".bak" as a second name of the
// file; the next backup must not leave its temporary name behind (a rename between two names
// of one file does nothing).
TEST(SafeFileWriter, ABackupThatIsAlreadyALinkOfTheFileLeavesNoTemporaryFile)
{
    TempFiles files;
    const QString target = files.Write("data.bin", "contents");
    ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(target + ".bak").constData()), 0);
    QString error;
    ASSERT_TRUE(MakeBackup(target, target + ".bak", true, &error)) << error.toStdString();
    EXPECT_EQ(Leftovers(files, {"data.bin", "data.bin.bak"}), QStringList{});
    EXPECT_EQ(TempFiles::Read(target + ".bak"), "contents");
    ASSERT_TRUE(WriteFileSafely(target, "newer", &error));
    EXPECT_EQ(TempFiles::Read(target + ".bak"), "contents");
}

// A link to a name that does not exist yet is written through: the file appears where it points
// and the link stays a link (before, the link was replaced by a regular file).
TEST(SafeFileWriter, ALinkToANewFileIsWrittenThrough)
{
    TempFiles files;
    QDir(files.dir.path()).mkdir("sub");
    const QString link = files.Path("link.bin");
    ASSERT_EQ(::symlink("sub/new.bin", QFile::encodeName(link).constData()), 0);
    QString error;
    ASSERT_TRUE(WriteFileSafely(link, "through", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TempFiles::Read(files.Path("sub/new.bin")), "through");
    // A link that points into a folder that is missing fails and leaves the link as it was.
    const QString broken = files.Path("broken.bin");
    ASSERT_EQ(::symlink("nowhere/new.bin", QFile::encodeName(broken).constData()), 0);
    EXPECT_FALSE(WriteFileSafely(broken, "x", &error));
    EXPECT_TRUE(QFileInfo(broken).isSymLink());
}
