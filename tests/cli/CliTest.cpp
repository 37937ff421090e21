// End-to-end tests of quorvane-cli: its lines, its exit statuses, and its results beside the
// results of outside tools on the same files.
#include "../search/SearchTestSupport.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RunResult Cli(const QStringList& args)
{
    return RunTool(QStringLiteral(QUORVANE_CLI), args);
}

QStringList Lines(const RunResult& r)
{
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

struct CliFixture : ::testing::Test
{
    QTemporaryDir dir;
    QString File(const QString& name, const std::vector<uint8_t>& bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(CliFixture, SearchPrintsTheListOfTheSearchTab)
{
    const QString f = File("s.bin", {0xE7, 0x03, 0xAA, 0xAA, 0xAA, 0x03, 0xE7, 0x41, 0x42});
    EXPECT_EQ(Lines(Cli({"search", f, "--dec", "999"})),
              (QStringList{"00000000  E703", "", QStringLiteral("検索結果　1件")}));
    EXPECT_EQ(Lines(Cli({"search", f, "--dec", "999", "--big-endian"})),
              (QStringList{"00000005  03E7", "", QStringLiteral("検索結果　1件")}));
    EXPECT_EQ(Lines(Cli({"search", f, "--hex", "AAAA"})),
              (QStringList{"00000002  AAAA", "00000003  AAAA", "", QStringLiteral("検索結果　2件")}));
    EXPECT_EQ(Lines(Cli({"search", f, "--hex", "?7"})).size(), 4);
    EXPECT_EQ(Lines(Cli({"search", f, "--string", "AB", "--code", "Shift-JIS"})),
              (QStringList{"00000007  4142", "", QStringLiteral("検索結果　1件")}));
    EXPECT_EQ(Lines(Cli({"search", f, "--hex", "FFFF"})), (QStringList{"", QStringLiteral("検索結果　0件")}));
}

TEST_F(CliFixture, FilesOf4GiBListLongAddresses)
{
    // A sparse file just over 4 GiB with one hit above the 32-bit range.
    const QString path = dir.filePath("huge.bin");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize((qint64(1) << 32) + 64));
        ASSERT_TRUE(f.seek((qint64(1) << 32) + 16));
        ASSERT_EQ(f.write("AB", 2), 2);
    }
    EXPECT_EQ(Lines(Cli({"search", path, "--string", "AB", "--code", "UTF-8"})),
              (QStringList{"00000001-00000010  4142", "", QStringLiteral("検索結果　1件")}));
}

TEST_F(CliFixture, RefusedInputAndFailures)
{
    const QString f = File("x.bin", {1, 2, 3});
    struct
    {
        QStringList args;
        int status;
    } cases[] = {
        {{"search", f, "--hex", ""}, 2},
        {{"search", f, "--hex", "12G4"}, 2},
        {{"search", f, "--string", "a", "--code", "Latin-1"}, 2},
        {{"search", f, "--string", "a"}, 2},
        {{"search", dir.filePath("missing.bin"), "--hex", "01"}, 2},
        {{"search", f}, 2},
        {{"search", f, "--hex", "01", "--dec", "1"}, 2},
        {{"sum", f, "--method", "SHA1"}, 2},
        {{"sum", f, "--method", "MD5", "--start", "XYZ"}, 2},
        {{"same", f}, 2},
        {{"grep", dir.filePath("nope"), "--hex", "01"}, 2},
        {{"encode", "abc", "--code", "sjis"}, 2},
        {{"frobnicate"}, 2},
        {{"search", f, "--hex", "01", "--color"}, 2},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        const QStringList err = QString::fromUtf8(r.err).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(err.size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A pipe is refused rather than opened (opening it would wait for a writer).
    const QString pipe = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(Cli({"search", pipe, "--hex", "01"}).status, 2);
    // A file that exists but cannot be read is an I/O failure.
    if (::geteuid() != 0) {
        QFile::setPermissions(f, QFileDevice::Permissions());
        EXPECT_EQ(Cli({"search", f, "--hex", "01"}).status, 1);
    }
    // --help names every subcommand.
    const RunResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* sub : {"dump", "search", "replace", "same", "sum", "compare", "grep", "encode"})
        EXPECT_TRUE(QString::fromUtf8(help.out).contains(QStringLiteral("  %1 ").arg(sub))) << sub;
}

TEST_F(CliFixture, CountsAndDigestsMatchOutsideTools)
{
    const QString f = File("big.bin", RandomBytes(3'000'000, 12, 4));
    const QString count = Python(
        "import re,sys\nd=open(sys.argv[1],'rb').read()\nprint(len(re.findall(b'(?=ABCA)', d)))", {f});
    const QStringList lines = Lines(Cli({"search", f, "--string", "ABCA", "--code", "UTF-8"}));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.back(), QStringLiteral("検索結果　%1件").arg(count));
    EXPECT_EQ(lines.size(), count.toInt() + 2);

    const RunResult sha = RunTool("sha256sum", {f});
    const QStringList sum = Lines(Cli({"sum", f, "--method", "SHA-256"}));
    ASSERT_EQ(sum.size(), 4);
    EXPECT_EQ(sum[0], "----- SHA-256 -----");
    EXPECT_EQ(sum[1], QStringLiteral("計算範囲  0 - 2dc6bf"));
    EXPECT_EQ(sum[2], QString::fromLatin1(sha.out.left(64)).toUpper());
    const QString crc = Python("import zlib,sys\nprint('%08X' % zlib.crc32(open(sys.argv[1],'rb').read()[16:4097]))", {f});
    EXPECT_EQ(Lines(Cli({"sum", f, "--method", "CRC32", "--start", "00000000-00000010", "--end", "1000"}))[2], crc);
    EXPECT_EQ(Lines(Cli({"sum", f, "--method", "加算", "--end", "3", "--initial", "FF"}))[1],
              QStringLiteral("初期値  FF --- 計算範囲  0 - 3"));
}

TEST_F(CliFixture, CompareMatchesCmp)
{
    auto a = RandomBytes(100'000, 3);
    auto b = a;
    for (size_t at : {size_t(0), size_t(1), size_t(500), size_t(99'999)})
        b[at] ^= 0xFF;
    const QString fa = File("a.bin", a), fb = File("b.bin", b);
    EXPECT_EQ(Lines(Cli({"compare", fa, fb})),
              (QStringList{"00000000 - 00000001", "000001F4 - 000001F4", "0001869F - 0001869F"}));
    const RunResult cmp = RunTool("cmp", {"-l", fa, fb});
    EXPECT_EQ(cmp.out.count('\n'), 4);
    EXPECT_TRUE(Lines(Cli({"compare", fa, fa})).isEmpty());
}

TEST_F(CliFixture, ReplaceWritesTheTargetOrTheFileWithItsBackup)
{
    const QString f = File("r.bin", {0x41, 0x42, 0x00, 0x41, 0x42});
    const QString out = dir.filePath("out.bin");
    EXPECT_EQ(Lines(Cli({"replace", f, "--hex", "4241", "--with-hex", "", "-o", out})),
              QStringList{QStringLiteral("置換結果　2件")});
    EXPECT_EQ(ReadFile(out), (std::vector<uint8_t>{0x00}));
    EXPECT_EQ(ReadFile(f), (std::vector<uint8_t>{0x41, 0x42, 0x00, 0x41, 0x42})); // untouched

    // In place: the ".bak" keeps the old bytes; a range replaces only inside it.
    EXPECT_EQ(Cli({"replace", f, "--string", "AB", "--code", "Shift-JIS", "--with-dec", "999", "--start", "1", "--end", "4"}).status, 0);
    EXPECT_EQ(ReadFile(f), (std::vector<uint8_t>{0x41, 0x42, 0x00, 0xE7, 0x03}));
    EXPECT_EQ(ReadFile(f + ".bak"), (std::vector<uint8_t>{0x41, 0x42, 0x00, 0x41, 0x42}));
    // No hit: the file is not rewritten and no backup is made.
    const QString g = File("none.bin", {0x01, 0x02});
    EXPECT_EQ(Lines(Cli({"replace", g, "--hex", "FF", "--with-hex", "00"})), QStringList{QStringLiteral("置換結果　0件")});
    EXPECT_FALSE(QFile::exists(g + ".bak"));
    // A replacement that holds the pattern ends.
    EXPECT_EQ(Lines(Cli({"replace", f, "--hex", "42", "--with-string", "BB", "--code", "UTF-8", "-o", out})),
              QStringList{QStringLiteral("置換結果　1件")});
    EXPECT_EQ(ReadFile(out), (std::vector<uint8_t>{0x41, 0x42, 0x42, 0x00, 0xE7, 0x03}));
}

TEST_F(CliFixture, SameGrepEncodeAndDump)
{
    const QString f = File("g.bin", {0x41, 0x42, 0x41, 0x42, 0x41, 0x42});
    EXPECT_EQ(Lines(Cli({"same", f, "--length", "2", "--group-limit", "2"})),
              (QStringList{"00000000-00000000  41 42 ", "00000000-00000002  41 42 ", "00000000-00000001  42 41 ",
                           "00000000-00000003  42 41 ", "", QStringLiteral("4件")}));
    EXPECT_EQ(Lines(Cli({"same", f, "--length", "2", "--start", "00000000-00000002", "--range", "3"})),
              (QStringList{"", QStringLiteral("0件")}));

    QDir(dir.path()).mkdir("tree");
    File("tree/one.dat", {0x34, 0x12, 0x34, 0x12});
    File("tree/two.ini", {0x00, 0x34, 0x12});
    EXPECT_EQ(Lines(Cli({"grep", dir.filePath("tree"), "--hex", "1234", "--types", "*.dat;*.ini"})),
              (QStringList{dir.filePath("tree/one.dat"), "00000000", "00000002", "", dir.filePath("tree/two.ini"),
                           "00000001", "", QStringLiteral("全 3件")}));
    EXPECT_EQ(Lines(Cli({"grep", dir.filePath("tree"), "--dec", "4660"})).back(), QStringLiteral("全 3件"));

    EXPECT_EQ(Lines(Cli({"encode", "A", "--code", "UnicodeBE"})), QStringList{"0041"});
    EXPECT_EQ(Lines(Cli({"encode", QStringLiteral("あ"), "--code", "Shift-JIS"})), QStringList{"82A0"});

    const QString d = File("d.bin", {0x48, 0x69, 0x21, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D});
    const QStringList rows = Lines(Cli({"dump", d, "--code", "ASCII"}));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith("00000000 48 69 21 00 41 42")) << rows[0].toStdString();
    EXPECT_TRUE(rows[0].endsWith("Hi! ABCDEFGHIJKL")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("00000010 4D EOF")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith(" M"));
    // --start picks the row, --length counts bytes in decimal.
    EXPECT_EQ(Lines(Cli({"dump", d, "--start", "10", "--length", "1"})).size(), 1);
    EXPECT_EQ(Lines(Cli({"dump", d, "--start", "0", "--length", "16"})).size(), 1);
    EXPECT_EQ(Lines(Cli({"dump", d, "--start", "0", "--length", "17"})).size(), 2);
}
