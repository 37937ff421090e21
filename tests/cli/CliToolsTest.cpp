// quorvane-cli's batch tools end to end, checked against outside tools (dd, cmp) and file bytes.
#include "../search/SearchTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

RunResult Cli(const QStringList& args)
{
    return RunTool(QStringLiteral(QUORVANE_CLI), args);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct CliTools : ::testing::Test
{
    QTemporaryDir dir;
    QString Put(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QByteArray Pattern(int n)
    {
        QByteArray b(n, 0);
        for (int i = 0; i < n; ++i)
            b[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
        return b;
    }
};

} // namespace

TEST_F(CliTools, ExtractMatchesDdAndRefusesBadRangesWithTheDialogsMessages)
{
    const QString src = Put("src.bin", Pattern(3 * 1024 * 1024 + 5)); // more than one copy block
    const QString out = dir.filePath("out.bin");
    const QString ref = dir.filePath("ref.bin");
    // 0x1234 .. 0x2FFFFF inclusive, against dd counting the same range in bytes.
    ASSERT_EQ(Cli({"extract", src, "--start", "1234", "--end", "2fffff", "-o", out}).status, 0);
    const qint64 count = 0x2FFFFF - 0x1234 + 1;
    ASSERT_EQ(RunTool("dd", {"if=" + src, "of=" + ref, "bs=1M", "iflag=skip_bytes,count_bytes",
                             "skip=" + QString::number(0x1234), "count=" + QString::number(count), "status=none"}).status, 0);
    ASSERT_EQ(QFileInfo(ref).size(), count);
    EXPECT_EQ(RunTool("cmp", {out, ref}).status, 0);
    // Through the last byte; then one past it is refused and the earlier output stays whole.
    const QString last = QString::number(3 * 1024 * 1024 + 4, 16);
    ASSERT_EQ(Cli({"extract", src, "--start", "0", "--end", last, "-o", out}).status, 0);
    EXPECT_EQ(RunTool("cmp", {out, src}).status, 0);
    const RunResult past = Cli({"extract", src, "--start", "0", "--end", QString::number(3 * 1024 * 1024 + 5, 16), "-o", out});
    EXPECT_EQ(past.status, 2);
    EXPECT_TRUE(QString::fromUtf8(past.err).contains(QStringLiteral("終了アドレスがファイルサイズを超えています。")));
    EXPECT_EQ(RunTool("cmp", {out, src}).status, 0);

    const auto err = [&](const QStringList& a) { return QString::fromUtf8(Cli(a).err); };
    EXPECT_TRUE(err({"extract", src, "--start", "xyz", "--end", "1", "-o", out}).contains(QStringLiteral("開始アドレスが正しくありません。")));
    EXPECT_TRUE(err({"extract", src, "--start", "1", "--end", "1g", "-o", out}).contains(QStringLiteral("終了アドレスが正しくありません。")));
    EXPECT_TRUE(err({"extract", src, "--start", "10", "--end", "1", "-o", out}).contains(QStringLiteral("開始アドレスが不正な値です。")));
    EXPECT_TRUE(err({"extract", src, "--start", "0", "--end", "1"}).contains(QStringLiteral("出力先が未入力です。")));
    // An unwritable destination: status 1, nothing left behind.
    const RunResult bad = Cli({"extract", src, "--start", "0", "--end", "1", "-o", dir.filePath("none/x.bin")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none")));
}

TEST_F(CliTools, FixedAndConcatWriteOutOrTheFileWithItsBackup)
{
    const QString f = Put("f.bin", QByteArray(0x100, '.'));
    const QString out = dir.filePath("fixed.bin");
    ASSERT_EQ(Cli({"fixed", f, "--hex", "41 42 43", "--at", "10", "--at=0020", "-o", out}).status, 0);
    QByteArray expect(0x100, '.');
    expect.replace(0x10, 3, "ABC").replace(0x20, 3, "ABC");
    EXPECT_EQ(Read(out), expect);
    EXPECT_EQ(Read(f), QByteArray(0x100, '.')); // the source stays as it was
    // In place, a string in UnicodeBE inserted at 0 and past the end; the backup keeps the old file.
    ASSERT_EQ(Cli({"fixed", f, "--string", "AB", "--code", "UnicodeBE", "--insert", "--at", "0", "--at", "106"}).status, 0);
    EXPECT_EQ(Read(f), QByteArray("\0A\0B", 4) + QByteArray(0x100, '.') + QByteArray(2, '\0') + QByteArray("\0A\0B", 4));
    EXPECT_EQ(Read(f + ".bak"), QByteArray(0x100, '.'));
    EXPECT_EQ(Cli({"fixed", f, "--hex", "4G", "--at", "0"}).status, 2);
    EXPECT_EQ(Cli({"fixed", f, "--hex", "41", "--at", "12345678901234567"}).status, 2);

    const QString doc = Put("doc.bin", "0123456789");
    const QString other = Put("other.bin", "WXYZ");
    const QString c = dir.filePath("c.bin");
    ASSERT_EQ(Cli({"concat", doc, other, "-o", c}).status, 0);
    EXPECT_EQ(Read(c), "0123456789WXYZ");
    ASSERT_EQ(Cli({"concat", doc, other, "--at", "8", "--overwrite", "-o", c}).status, 0);
    EXPECT_EQ(Read(c), "01234567WXYZ");
    ASSERT_EQ(Cli({"concat", doc, other, "--at", "start"}).status, 0);
    EXPECT_EQ(Read(doc), "WXYZ0123456789");
    // An unreadable source: status 1 and the document untouched.
    const RunResult missing = Cli({"concat", doc, dir.filePath("missing.bin")});
    EXPECT_NE(missing.status, 0);
    EXPECT_EQ(Read(doc), "WXYZ0123456789");
}

TEST_F(CliTools, BookmarksPrintsTheTabsRowsInFileOrder)
{
    QByteArray bml("BML");
    bml += QByteArray::fromHex("5000000000000000");
    bml += char(2) + QByteArray("\x8B\x89\x57\x30", 4); // U+898B U+3057, little endian
    bml += QByteArray::fromHex("F0A2010000000000") + char(0);
    const QString list = Put("m.lst", bml);
    const RunResult r = Cli({"bookmarks", list});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(QString::fromUtf8(r.out), QStringLiteral("00000000-00000050\t見し\n00000000-0001A2F0\t\n"));
    // A headerless file: 4-byte addresses, the trailing part ignored.
    const QString raw = Put("raw.lst", QByteArray::fromHex("10000000200000003000"));
    EXPECT_EQ(QString::fromUtf8(Cli({"bookmarks", raw}).out), "00000000-00000010\t\n00000000-00000020\t\n");
    EXPECT_EQ(Cli({"bookmarks", dir.filePath("none.lst")}).status, 2);
}

TEST_F(CliTools, PrintWritesAPdfWhoseTextHoldsTheRowsAndEof)
{
    // 40 bytes: two full rows and a part row that ends in "EOF".
    QByteArray bytes;
    for (int i = 0; i < 40; ++i)
        bytes += static_cast<char>(0x41 + i % 26);
    const QString file = Put("print.bin", bytes);
    const QString pdf = dir.filePath("print.pdf");
    const RunResult r = Cli({"print", file, "-o", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), QStringLiteral("1ページ"));
    const RunResult text = RunTool("pdftotext", {"-layout", pdf, "-"});
    ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) is needed";
    const QString t = QString::fromUtf8(text.out);
    EXPECT_TRUE(t.contains("print.bin"));
    EXPECT_TRUE(t.contains("Address"));
    EXPECT_TRUE(t.contains("00000000")) << t.toStdString();
    EXPECT_TRUE(t.contains("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50"));
    EXPECT_TRUE(t.contains("ABCDEFGHIJKLMNOP"));
    EXPECT_TRUE(t.contains("00000020"));
    EXPECT_TRUE(t.contains(QRegularExpression("47 48 49 4A 4B 4C 4D 4E\\s+EOF"))) << t.toStdString();

    // A range prints as a selection, from its own address; a big file prints many pages.
    ASSERT_EQ(Cli({"print", file, "-o", pdf, "--start", "15", "--end", "17"}).status, 0);
    const QString sel = QString::fromUtf8(RunTool("pdftotext", {"-layout", pdf, "-"}).out);
    EXPECT_TRUE(sel.contains(QRegularExpression("00000015\\s+56 57 58\\s+EOF"))) << sel.toStdString();
    const QString big = Put("big.bin", Pattern(64 * 1024));
    const RunResult many = Cli({"print", big, "-o", pdf});
    ASSERT_EQ(many.status, 0);
    const int pages = QString::fromUtf8(many.out).trimmed().chopped(3).toInt();
    EXPECT_GT(pages, 40);
    const QString info = QString::fromUtf8(RunTool("pdfinfo", {pdf}).out);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(pages)))) << info.toStdString();
    // Bad input: status 2; a destination that cannot be written: status 1, nothing left.
    EXPECT_EQ(Cli({"print", file, "-o", pdf, "--start", "0", "--end", "28"}).status, 2);
    EXPECT_EQ(Cli({"print", file, "-o", dir.filePath("none/x.pdf")}).status, 1);
}

TEST_F(CliTools, PrintRunsInItsHelperAndAMissingHelperIsReported)
{
    // quorvane-cli hands print to quorvane-print beside it (or in the system's program folder);
    // a copy of quorvane-cli alone says what is missing instead of printing nothing.
    const QString file = Put("print.bin", QByteArray("ABC"));
    const QString lonely = dir.filePath("quorvane-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVANE_CLI), lonely));
    const RunResult r = RunTool(lonely, {"print", file, "-o", dir.filePath("x.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("quorvane-print が見つかりません"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.pdf")));
    // The other subcommands need no helper.
    const RunResult search = RunTool(lonely, {"search", file, "--hex", "42", "--big-endian"});
    EXPECT_EQ(search.status, 0);
    EXPECT_TRUE(QString::fromUtf8(search.out).startsWith(QStringLiteral("00000001"))) << search.out.toStdString();
}
