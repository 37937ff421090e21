// quorvane-cli refuses what it cannot do as asked: numbers that would wrap, ranges with nothing in
// them, texts a character code cannot hold; and compare reports files of different length.
#include "../search/SearchTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RunResult Cli(const QStringList& args)
{
    return RunTool(QStringLiteral(QUORVANE_CLI), args);
}

struct CheckedInput : ::testing::Test
{
    QTemporaryDir dir;
    QString File(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

} // namespace

// Each was accepted before: a wrapped address read, summed or wrote somewhere else.
TEST_F(CheckedInput, NumbersThatWrapAndEmptyRangesAreRefusedNamingTheOption)
{
    const QByteArray bytes = "0123456789ABCDEF0123";
    const QString f = File("f.bin", bytes);
    const QString def = File("s.def", "struct S\n{\n\tdword a;\n}\n");
    const QString big = QStringLiteral("10000000000000000"); // 17 digits: 2^64
    struct
    {
        QStringList args;
        QString option;
    } cases[] = {
        {{"dump", f, "--start", big}, "--start"},
        {{"sum", f, "--method", "CRC32", "--end", big}, "--end"},
        {{"sum", f, "--method", "CRC32", "--start", big}, "--start"},
        {{"sum", f, "--method", "CRC32", "--start", "14"}, "--start"}, // the byte after the last
        {{"same", f, "--length", "2", "--start", big}, "--start"},
        {{"same", f, "--length", "2", "--range", big}, "--range"},
        {{"same", f, "--length", "2", "--start", "FFFFFFFFFFFFFFFF", "--range", "2"}, "--range"},
        {{"info", f, "--at", big}, "--at"},
        {{"struct", f, "--def", def, "--at", big}, "--at"},
        {{"replace", f, "--hex", "30", "--with-hex", "31", "--start", "0", "--end", big}, "--end"},
        {{"fixed", f, "--hex", "AA", "--at", "FFFFFFFFFFFFFFFF"}, "--at"},
        {{"fixed", f, "--hex", "AA", "--at", "7FFFFFFF"}, "--at"},
        {{"extract", f, "--end", "3", "-o", dir.filePath("x.bin")}, "--start"},
        {{"extract", f, "--start", "3", "-o", dir.filePath("x.bin")}, "--end"},
        {{"struct", f, "--def", def, "--set", "a=1FFFFFFFF"}, "--set a"},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.option)) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(Read(f), bytes);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.bin")));
    EXPECT_FALSE(QFile::exists(f + ".bak"));

    // The limits themselves still work: 16 digits with leading zeros, a sum from the last byte,
    // a field value with leading zeros beyond its width.
    EXPECT_EQ(Cli({"dump", f, "--start", "0000000000000010"}).status, 0);
    EXPECT_EQ(Cli({"sum", f, "--method", "加算", "--start", "13"}).status, 0);
    EXPECT_EQ(Cli({"sum", File("empty.bin", {}), "--method", "CRC32"}).status, 0);
    EXPECT_EQ(Cli({"struct", f, "--def", def, "--set", "a=0012345678"}).status, 0);
    EXPECT_EQ(Read(f).left(4), QByteArray("\x78\x56\x34\x12"));
}

TEST_F(CheckedInput, TextsACodeCannotHoldAreRefusedNamingTheCharacter)
{
    const QString f = File("f.bin", "ABCDEFGH");
    struct
    {
        QStringList args;
        QString shown;
    } cases[] = {
        {{"encode", QStringLiteral("日本"), "--code", "ASCII"}, QStringLiteral("「日」")},
        {{"encode", QStringLiteral("aé"), "--code", "ASCII"}, QStringLiteral("「é」")},
        {{"encode", QStringLiteral("a\U0001F600"), "--code", "Shift-JIS"}, QStringLiteral("「\U0001F600」")},
        {{"encode", QStringLiteral("A한"), "--code", "EUC"}, QStringLiteral("「한」")},
        {{"encode", QStringLiteral("ABあ"), "--code", "EBCDIC"}, QStringLiteral("「あ」")},
        {{"fixed", f, "--string", QStringLiteral("x日"), "--code", "ASCII"}, QStringLiteral("「日」")},
        {{"fixed", f, "--string", QStringLiteral("€"), "--code", "JIS"}, QStringLiteral("「€」")},
        {{"search", f, "--string", QStringLiteral("한"), "--code", "Shift-JIS"}, QStringLiteral("「한」")},
        {{"replace", f, "--hex", "41", "--with-string", QStringLiteral("한"), "--code", "Shift-JIS"}, QStringLiteral("「한」")},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.shown)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(Read(f), "ABCDEFGH");
    // Texts the code holds are written as before.
    EXPECT_EQ(Cli({"encode", "AB", "--code", "ASCII"}).out, "41004200\n");
    EXPECT_EQ(Cli({"encode", QStringLiteral("日本"), "--code", "EUC"}).out, "C6FCCBDC\n");
    EXPECT_EQ(Cli({"encode", QStringLiteral("\U0001F600"), "--code", "UTF-8"}).out, "F09F9880\n");
    EXPECT_EQ(Cli({"fixed", f, "--string", QStringLiteral("ｱ"), "--code", "EBCDIK"}).status, 0);
}

// Before, files of different length gave no line and status 0.
TEST_F(CheckedInput, CompareReportsTheEndOfTheShorterFile)
{
    const QString a = File("a.bin", "hello world");
    const QString b = File("b.bin", "hellO");
    const QString empty = File("empty.bin", {});
    RunResult r = Cli({"compare", a, b});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "00000004 - 00000004\nEOF: " + b.toUtf8() + " (末尾のアドレス 00000005)\n");
    r = Cli({"compare", empty, a});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "EOF: " + empty.toUtf8() + " (末尾のアドレス 00000000)\n");
    // cmp agrees that the files differ, and that the shorter one ended.
    EXPECT_EQ(RunTool("cmp", {a, b}).status, 1);
    r = Cli({"compare", a, a});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
}
