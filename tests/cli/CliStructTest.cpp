// quorvane-cli struct: the pane's rows as lines, edits with --set, and its exit statuses.
#include "../search/SearchTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QStringList Lines(const RunResult& r)
{
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

struct CliStruct : ::testing::Test
{
    QTemporaryDir dir;
    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    RunResult Cli(const QStringList& args) { return RunTool(QStringLiteral(QUORVANE_CLI), args); }
};

const char kDef[] = "struct P\n{\n\tword x;\n\tWORD y;\n}\n"
                    "struct H\n{\n\tchar sig[2];\n\tvarsize 1;\n\tP pts[varsize];\n\tbyte end;\n}\n";

} // namespace

TEST_F(CliStruct, PrintsTheRowsExpandsAndPicksStructureAndBase)
{
    const QString def = Write("t.def", kDef);
    const QString file = Write("d.bin", QByteArray("\x00QV\x02\x01\x00\x00\x02\x03\x00\x00\x04\x41", 13));
    EXPECT_EQ(Lines(Cli({"struct", file, "--def", def, "--name", "H", "--at", "1"})),
              (QStringList{"sig[2]\tQV\tchar", "1\t02\tvarsize", "pts[2]\t\tP", "end\t41 'A'\tbyte"}));
    EXPECT_EQ(Lines(Cli({"struct", file, "--def", def, "--name", "H", "--at", "1", "--expand"})),
              (QStringList{"sig[2]\tQV\tchar", "  sig[0]\t51 'Q'\tchar", "  sig[1]\t56 'V'\tchar",
                           "1\t02\tvarsize", "pts[2]\t\tP",
                           "  pts[0]\t\tP", "    x\t0001 '.'\tword", "    y\t0002 '.'\tWORD",
                           "  pts[1]\t\tP", "    x\t0003 '.'\tword", "    y\t0004 '.'\tWORD", "end\t41 'A'\tbyte"}));
    // The first structure by default, at address 0.
    EXPECT_EQ(Lines(Cli({"struct", file, "--def", def})), (QStringList{"x\t5100 '\u5100'\tword", "y\t5602 '\u5602'\tWORD"}));
    // --expand shows the first 1,000 elements of a longer array.
    const QString big = Write("big.def", "struct B\n{\n\tbyte b[5000];\n}\n");
    const RunResult r = Cli({"struct", file, "--def", big, "--expand"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r).size(), 1 + 1000);
    EXPECT_EQ(Lines(r).back(), "  b[999]\t00\tbyte");
}

TEST_F(CliStruct, SetWritesTheFileWithItsBackupAndReevaluates)
{
    const QString def = Write("t.def", kDef);
    const QByteArray original("QV\x01\x01\x00\x00\x02\xEE\x00\x00\x00\x00\x00", 13);
    const QString file = Write("d.bin", original);
    const RunResult r = Cli({"struct", file, "--def", def, "--name", "H", "--set", "1=2", "--set", "end=7F"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Lines(r), (QStringList{"sig[2]\tQV\tchar", "1\t02\tvarsize", "pts[2]\t\tP", "end\t7F '.'\tbyte"}));
    // The count became 2, so "end" moved behind the second point before it was written.
    EXPECT_EQ(Read(file), QByteArray("QV\x02\x01\x00\x00\x02\xEE\x00\x00\x00\x7F\x00", 13));
    EXPECT_EQ(Read(file + ".bak"), original);
    // Past the end of the file: the file grows to hold the field.
    const QString small = Write("s.bin", QByteArray("\x00", 1));
    EXPECT_EQ(Cli({"struct", small, "--def", def, "--set", "y=ABCD"}).status, 0);
    EXPECT_EQ(Read(small), QByteArray("\x00\x00\xAB\xCD", 4));
}

TEST_F(CliStruct, RefusesBadInputWithStatusTwo)
{
    const QString file = Write("d.bin", QByteArray(8, '\0'));
    const QString bad = Write("bad.def", "struct A\n{\nbyte a;\n}\nstruct B\n{\n\tbyte d[varsize];\n}\n");
    const RunResult r = Cli({"struct", file, "--def", bad});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("bad.def の 7 行目"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QString def = Write("t.def", kDef);
    EXPECT_EQ(Cli({"struct", file, "--def", def, "--name", "NOPE"}).status, 2);
    EXPECT_EQ(Cli({"struct", file, "--def", def, "--set", "nope=1"}).status, 2);
    EXPECT_EQ(Cli({"struct", file, "--def", def, "--set", "x=1.5"}).status, 2);
    EXPECT_EQ(Read(file), QByteArray(8, '\0')); // nothing written by a refused edit
    EXPECT_EQ(Cli({"struct", file, "--def", Write("bin.def", QByteArray("\x7F" "ELF\x00\x01", 6))}).status, 2);
}
