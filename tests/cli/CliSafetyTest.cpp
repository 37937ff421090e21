// quorvane-cli when writing goes wrong or names are odd: full disks, pipes and devices as outputs,
// file names that are not UTF-8, files shorter than they say, temporary folders, links.
#include "RawCli.h"
#include "SmallFileSystem.h"
#include "TempFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using rawcli::Cli;
using rawcli::Native;
using rawcli::Slurp;
using CliRun = rawcli::Run;

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

namespace {

// The names in a folder, as the system's bytes.
std::vector<QByteArray> Entries(const QByteArray& folder)
{
    std::vector<QByteArray> names;
    if (DIR* d = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Run in the folder of a file whose name is not UTF-8, every subcommand reads and writes that
// file itself; before, the writers made a second file named with U+FFFD and struct read zeros.
TEST(CliSafety, RelativeNamesThatAreNotUtf8AreReadAndWrittenAsThemselves)
{
    QTemporaryDir scratch;
    QTemporaryDir work;
    const QByteArray folder = Native(work.path());
    const rawcli::Options here{folder, {}};
    const QByteArray name = "f\xFE.bin";
    const QByteArray def = "d\xFE.def";
    ASSERT_TRUE(rawcli::Spit(folder + '/' + name, "0123456789"));
    ASSERT_TRUE(rawcli::Spit(folder + '/' + def, "struct S\n{\n\tdword a;\n\tword b;\n}\n"));

    CliRun r = Cli(scratch, {"fixed", name, "--hex", "AA", "--at", "2"}, here);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Slurp(folder + '/' + name), "01\xAA" "3456789");
    r = Cli(scratch, {"concat", name, name, "--at", "start"}, here);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Slurp(folder + '/' + name), "01\xAA" "345678901\xAA" "3456789");
    r = Cli(scratch, {"replace", name, "--hex", "AA", "--with-hex", "BB"}, here);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Slurp(folder + '/' + name), "01\xBB" "345678901\xBB" "3456789");
    r = Cli(scratch, {"struct", name, "--def", def, "--set", "b=4142"}, here);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Slurp(folder + '/' + name).mid(4, 2), "BA");
    // Reading, relative and absolute: the file's own bytes, from the definition file's rows.
    for (const QByteArray& path : {name, folder + '/' + name}) {
        r = Cli(scratch, {"struct", path, "--def", def}, here);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("a\t33BB3130\tdword\nb\t4142")) << r.out.toStdString();
        r = Cli(scratch, {"dump", path, "--length", "2"}, here);
        EXPECT_TRUE(r.out.startsWith("00000000 30 31")) << r.out.toStdString();
    }
    // No second file was made: only the file, its backup and the definition.
    EXPECT_EQ(Entries(folder), (std::vector<QByteArray>{def, name, name + ".bak"}));
}

// A short read is no end of file: a system file that gives fewer bytes than its stated size is
// refused, not shown as if complete.
TEST(CliSafety, FilesThatGiveFewerBytesThanTheirSizeFail)
{
    QTemporaryDir scratch;
    QByteArray sysfs;
    for (const char* candidate : {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/devices/system/cpu/online",
                                  "/sys/kernel/profiling", "/sys/power/state"}) {
        struct stat st {};
        if (::stat(candidate, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0
            && Slurp(candidate).size() < st.st_size) {
            sysfs = candidate;
            break;
        }
    }
    if (sysfs.isEmpty())
        GTEST_SKIP() << "no readable system file with a stated size here";
    for (std::vector<QByteArray> args : {std::vector<QByteArray>{"dump", sysfs}, {"search", sysfs, "--hex", "0A"},
                                         {"sum", sysfs, "--method", "CRC32"}}) {
        const CliRun r = Cli(scratch, args);
        EXPECT_EQ(r.status, 1) << args[0].toStdString() << ": " << r.out.toStdString();
        EXPECT_TRUE(r.err.contains("ファイルを最後まで読み込めませんでした。")) << r.err.toStdString();
    }
}

// The private settings folder goes at every end: a normal run, a refused one, a reader that went
// away (`| head -1`); one left by a run killed outright goes at the next run.
TEST(CliSafety, TheTemporaryFolderIsRemovedAtEveryEnd)
{
    QTemporaryDir scratch;
    QTemporaryDir tmp;
    TempFiles files;
    const QString in = files.Write("in.bin", TempFiles::Random(200'000, 3));
    rawcli::Options options;
    options.tmpdir = Native(tmp.path());
    // A dead writer's folder (no such process) and a live one's (this test's own).
    const QByteArray dead = options.tmpdir + "/quorvane-cli-999999999-AbCdEf";
    const QByteArray live = options.tmpdir + "/quorvane-cli-" + QByteArray::number(::getpid()) + "-AbCdEf";
    ASSERT_EQ(::mkdir(dead.constData(), 0700), 0);
    ASSERT_EQ(::mkdir(live.constData(), 0700), 0);

    CliRun r = Cli(scratch, {"dump", Native(in), "--length", "16"}, options);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Entries(options.tmpdir), std::vector<QByteArray>{live.mid(options.tmpdir.size() + 1)});
    r = Cli(scratch, {"dump", Native(in), "--start", "XYZ"}, options);
    EXPECT_EQ(r.status, 2);
    options.closedOutput = true;
    r = Cli(scratch, {"dump", Native(in)}, options);
    EXPECT_EQ(r.signal, SIGPIPE); // ends as a program killed by SIGPIPE would, once tidy
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(Entries(options.tmpdir), std::vector<QByteArray>{live.mid(options.tmpdir.size() + 1)});
}

// Every output is checked the same way: a FIFO is refused input (2) for every subcommand that
// writes one; a failed write is 1, and the message names the path once.
TEST(CliSafety, OutputsFollowOneConvention)
{
    QTemporaryDir scratch;
    TempFiles files;
    const QByteArray in = Native(files.Write("in.bin", "ABCABC"));
    const QByteArray fifo = Native(files.Path("out.fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const std::vector<std::vector<QByteArray>> writers = {
        {"fixed", in, "--hex", "00", "-o"},
        {"concat", in, in, "-o"},
        {"extract", in, "--start", "0", "--end", "1", "-o"},
        {"print", in, "-o"},
        {"replace", in, "--hex", "41", "--with-hex", "00", "-o"},
    };
    const QByteArray missing = Native(files.Path("no-such-folder/out.bin"));
    for (std::vector<QByteArray> args : writers) {
        args.push_back(fifo);
        CliRun r = Cli(scratch, args);
        EXPECT_EQ(r.status, 2) << args[0].toStdString();
        EXPECT_EQ(r.err.count(fifo), 1) << r.err.toStdString();
        args.back() = missing;
        r = Cli(scratch, args);
        EXPECT_EQ(r.status, 1) << args[0].toStdString();
        EXPECT_EQ(r.err.count(missing), 1) << args[0].toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_EQ(Slurp(in), "ABCABC");
}

// A link to a file that does not exist yet is written through, as a link to an existing file is.
TEST(CliSafety, OutputsThroughALinkToANewFileKeepTheLink)
{
    QTemporaryDir scratch;
    TempFiles files;
    const QByteArray in = Native(files.Write("in.bin", "ABCDEF"));
    const QByteArray link = Native(files.Path("out.link"));
    const QByteArray target = Native(files.Path("made.bin"));
    ASSERT_EQ(::symlink("made.bin", link.constData()), 0);
    CliRun r = Cli(scratch, {"extract", in, "--start", "1", "--end", "3", "-o", link});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(link.constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Slurp(target), "BCD");
    ::unlink(target.constData());
    r = Cli(scratch, {"fixed", in, "--hex", "5A", "-o", link});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(::lstat(link.constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Slurp(target), "ZBCDEF");
}
