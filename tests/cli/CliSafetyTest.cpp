// quorvane-cli when writing goes wrong or names are odd: full disks, pipes and devices as outputs,
// file names that are not UTF-8.
#include "SmallFileSystem.h"
#include "TempFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Reads a file by its bytes (Qt's classes cannot open names that are not UTF-8).
QByteArray Slurp(const QByteArray& path)
{
    QByteArray all;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, got);
    ::close(fd);
    return all;
}

// Runs quorvane-cli with arguments given as the system's bytes (QProcess would re-encode them).
CliRun Cli(const QTemporaryDir& scratch, std::vector<QByteArray> args)
{
    args.insert(args.begin(), QByteArray(QUORVANE_CLI));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray out = QFile::encodeName(scratch.path()) + "/stdout";
    const QByteArray err = QFile::encodeName(scratch.path()) + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    CliRun r;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

TEST(CliSafety, OutputsThatAreNotRegularFilesAreRefused)
{
    QTemporaryDir dir;
    TempFiles files;
    const QString in = files.Write("in.bin", "ABCABC");
    const QString fifo = files.Path("out.fifo");
    ASSERT_EQ(::mkfifo(Native(fifo).constData(), 0600), 0);
    // Before, this waited for a reader for ever.
    for (const QString& out : {fifo, QStringLiteral("/dev/full"), files.dir.path()}) {
        const CliRun r = Cli(dir, {"replace", Native(in), "--hex", "41", "--with-hex", "00", "-o", Native(out)});
        EXPECT_EQ(r.status, 2) << out.toStdString();
        EXPECT_TRUE(r.err.contains("は通常のファイルではありません")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(TempFiles::Read(in), "ABCABC");
}

TEST(CliSafety, AFullDiskFailsTheReplaceAndKeepsFileAndBackup)
{
    SmallFileSystem fs(256);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    QTemporaryDir dir;
    QByteArray bytes = TempFiles::Random(10006, 11);
    bytes.replace(5000, 3, "ABC");
    const QString path = fs.Path("small.bin");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
        QFile b(path + ".bak");
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        ASSERT_EQ(b.write("older"), 5);
    }
    fs.Fill();
    CliRun r = Cli(dir, {"replace", Native(path), "--hex", "414243", "--big-endian", "--with-hex", "00"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.out.contains("置換結果"));
    EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
    EXPECT_EQ(TempFiles::Read(path), bytes);
    EXPECT_EQ(TempFiles::Read(path + ".bak"), "older");

    r = Cli(dir, {"replace", Native(path), "--hex", "414243", "--big-endian", "--with-hex", "00", "-o", Native(fs.Path("out.bin"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(fs.Path("out.bin")));
    EXPECT_EQ(fs.Others({"small.bin", "small.bin.bak", "filler"}), QStringList{});

    // With room again, the same command works and the backup holds the file as it was.
    QFile::remove(fs.Path("filler"));
    r = Cli(dir, {"replace", Native(path), "--hex", "414243", "--big-endian", "--with-hex", "00"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(TempFiles::Read(path).size(), 10004);
    EXPECT_EQ(TempFiles::Read(path + ".bak"), bytes);
}

TEST(CliSafety, AReplaceOnAHugeFileWithoutRoomForACopySaysSoAndWhetherTheFileChanged)
{
    SmallFileSystem fs(8 * 1024);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    QTemporaryDir dir;
    // 2 GiB, sparse, so it takes no room; one hit near the start.
    const QString path = fs.Path("huge.bin");
    const qint64 size = qint64(2) << 30;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(size));
        ASSERT_TRUE(f.seek(16));
        ASSERT_EQ(f.write("ABC", 3), 3);
    }
    const CliRun r = Cli(dir, {"replace", Native(path), "--hex", "414243", "--big-endian", "--with-hex", "41424344"});
    EXPECT_EQ(r.status, 1);
    // No room for a working copy: the user is told the file would be changed in place, and
    // that it was not (here the backup taken first has no room either).
    EXPECT_TRUE(r.err.contains("作業用のコピーを置く空き容量がないため")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("ファイルは変更されていません")) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), size);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.seek(16));
    EXPECT_EQ(f.read(4), QByteArray("ABC\0", 4));
    EXPECT_EQ(fs.Others({"huge.bin"}), QStringList{});
}

TEST(CliSafety, NamesThatAreNotUtf8WorkInEverySubcommand)
{
    QTemporaryDir dir;
    QTemporaryDir data;
    const QByteArray folder = Native(data.path());
    const QByteArray name = folder + "/d\xE9j\xE0-\xFF.bin"; // Latin-1 bytes: not UTF-8
    {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "xxABxx", 6), 6);
        ::close(fd);
    }
    CliRun r = Cli(dir, {"dump", name});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("00000000 78 78 41 42")) << r.out.toStdString();
    r = Cli(dir, {"search", name, "--string", "AB", "--code", "Shift-JIS"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("00000002  4142"));
    r = Cli(dir, {"sum", name, "--method", "CRC32"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = Cli(dir, {"replace", name, "--string", "AB", "--code", "Shift-JIS", "--with-hex", "5A5A"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Slurp(name), "xxZZxx");
    EXPECT_EQ(Slurp(name + ".bak"), "xxABxx");
    // The folder search lists the file under its own bytes, so the line can be used again.
    r = Cli(dir, {"grep", folder, "--string", "ZZ", "--code", "Shift-JIS"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(name)) << r.out.toStdString();
    // A missing name is reported readably, its foreign bytes as \xHH.
    r = Cli(dir, {"dump", folder + "/no\xFF.bin"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("no\\xFF.bin")) << r.err.toStdString();
    ::unlink(name.constData());
    ::unlink((name + ".bak").constData());
}
