// quorvane-cli info: the info pane's rows for a file and a cursor address, and its refusals.
#include "../search/SearchTestSupport.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QStringList Info(const QStringList& args, int* status = nullptr)
{
    const RunResult r = RunTool(QStringLiteral(QUORVANE_CLI), QStringList{QStringLiteral("info")} + args);
    if (status)
        *status = r.status;
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

TEST(CliInfoTest, PrintsTheEightRowsAtTheCursorAndClampsPastTheEnd)
{
    TempFiles files;
    const QString path = files.Write(QStringLiteral("a.bin"), QByteArray::fromHex("0000341280"));
    int status = -1;
    const QStringList rows = Info({path, QStringLiteral("--at"), QStringLiteral("2"), QStringLiteral("--selection-length"), QStringLiteral("3")}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rows, (QStringList{
        "Bit\t 0000-0000  1000-0000  0001-0010  0011-0100",
        "Byte\t          34          52",
        "Word\t       12 34        4660",
        "3Byte\t    80 12 34     8393268",
        "DWord\t 00 80 12 34     8393268",
        "FileSize\t 00000000-00000005                      5",
        "Address\t 00000000-00000002",
        "Range\t 00000000-00000003",
    }));

    // "-" mode, big-endian, on the last byte; a dash inside the address is allowed.
    const QStringList minus = Info({path, "--at", "00000000-00000004", "--minus", "--big-endian"});
    ASSERT_EQ(minus.size(), 8);
    EXPECT_EQ(minus[1], "Byte\t          80        -128");
    EXPECT_EQ(minus[4], "DWord\t 00 00 00 80        -128");
    EXPECT_EQ(minus[7], "Range\t" + QString(17, QLatin1Char(' ')) + "0");

    // Past the end the cursor stands on the end-of-file cell.
    const QStringList end = Info({path, "--at", "FFFF"});
    ASSERT_EQ(end.size(), 8);
    EXPECT_EQ(end[4], "DWord\t 00 00 00 00");
    EXPECT_EQ(end[6], "Address\t 00000000-00000005");

    Info({path, "--at", "12G4"}, &status);
    EXPECT_EQ(status, 2);
    Info({path}, &status);
    EXPECT_EQ(status, 2);
    Info({path + "-missing", "--at", "0"}, &status);
    EXPECT_NE(status, 0);
}
