// Tests of the sums, CRC32 and digests: the example values, the result lines, and the digests
// and CRC of outside tools on generated files.
#include "search/SumCalculator.h"

#include "SearchTestSupport.h"
#include "document/MappedByteSource.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QStringList Sum(const std::vector<uint8_t>& d, uint64_t start, uint64_t end, SumMethod m, uint64_t init = 0)
{
    MemoryByteSource src(d.data(), d.size());
    SumRequest r{start, end, init};
    return RunSum(src, r, m).lines;
}

} // namespace

TEST(SumCalculatorTest, AccumulationsAtThreeWidths)
{
    const std::vector<uint8_t> d{1, 2, 3, 4, 5};
    EXPECT_EQ(Sum(d, 0, 4, SumMethod::Add),
              (QStringList{QStringLiteral("----- 加算 -----"), QStringLiteral("初期値  0 --- 計算範囲  0 - 4"),
                           QStringLiteral("読み込み幅1Byte  0000000F"), QStringLiteral("読み込み幅2Byte  00000609"),
                           QStringLiteral("読み込み幅4Byte  04030206"), QString()}));
    EXPECT_EQ(Sum(d, 0, 4, SumMethod::Subtract)[2], QStringLiteral("読み込み幅1Byte  FFFFFFF1"));
    // Range 0-3: no word starts at the fifth byte.
    const QStringList r03 = Sum(d, 0, 3, SumMethod::Add);
    EXPECT_EQ(r03[3], QStringLiteral("読み込み幅2Byte  00000604"));
    EXPECT_EQ(r03[4], QStringLiteral("読み込み幅4Byte  04030201"));
    // One byte of a longer document: the words starting there are read whole.
    const QStringList one = Sum(d, 1, 1, SumMethod::Add);
    EXPECT_EQ(one[2], QStringLiteral("読み込み幅1Byte  00000002"));
    EXPECT_EQ(one[3], QStringLiteral("読み込み幅2Byte  00000302"));
    EXPECT_EQ(one[4], QStringLiteral("読み込み幅4Byte  05040302"));
    // At the document's end the words hold what exists.
    const QStringList tail = Sum(d, 3, 4, SumMethod::Xor, 0x1FFFFFFFFull);
    EXPECT_EQ(tail[0], QStringLiteral("----- XOR -----"));
    EXPECT_EQ(tail[1], QStringLiteral("初期値  FFFFFFFF --- 計算範囲  3 - 4"));
    EXPECT_EQ(tail[2], QStringLiteral("読み込み幅1Byte  FFFFFFFE")); // ~(4 ^ 5)
    EXPECT_EQ(tail[3], QStringLiteral("読み込み幅2Byte  FFFFFAFB")); // ~0504
    EXPECT_EQ(tail[4], QStringLiteral("読み込み幅4Byte  FFFFFAFB"));
}

TEST(SumCalculatorTest, ClampingEmptyRangesAndEmptyDocuments)
{
    const std::vector<uint8_t> d{1, 2, 3, 4, 5};
    MemoryByteSource src(d.data(), d.size());
    SumRequest far{0, 0xFFFFFFFFFFull, 0};
    const SumResult r = RunSum(src, far, SumMethod::Crc32);
    EXPECT_EQ(far.end, 4u); // the request shows the last address of the document
    EXPECT_EQ(r.lines[1], QStringLiteral("計算範囲  0 - 4"));
    // A start past the end: nothing is read.
    EXPECT_EQ(Sum(d, 9, 20, SumMethod::Crc32), (QStringList{QStringLiteral("----- CRC32 -----"), QStringLiteral("計算範囲  9 - 4"), "00000000", ""}));
    EXPECT_EQ(Sum(d, 9, 20, SumMethod::Add, 7)[2], QStringLiteral("読み込み幅1Byte  00000007"));
    EXPECT_EQ(Sum(d, 9, 20, SumMethod::Md5)[2], "D41D8CD98F00B204E9800998ECF8427E");
    MemoryByteSource empty(nullptr, 0);
    SumRequest any{0, 10, 0};
    EXPECT_FALSE(RunSum(empty, any, SumMethod::Add).computed);
    EXPECT_EQ(SumMethodFromName("SHA-384"), SumMethod::Sha384);
    EXPECT_FALSE(SumMethodFromName("SHA1"));
}

TEST(SumCalculatorTest, DigestsAndCrcMatchOutsideTools)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("h.bin");
    const auto d = RandomBytes(2'500'003, 17); // more than two 1 MiB blocks, odd length
    ASSERT_TRUE(WriteFile(path, d));
    MappedByteSource file(path);
    FileByteSource read(path);
    ASSERT_TRUE(file.IsMapped());
    MemoryByteSource mem(d.data(), d.size());
    const struct
    {
        SumMethod method;
        const char* tool;
    } tools[] = {{SumMethod::Md5, "md5sum"}, {SumMethod::Sha256, "sha256sum"}, {SumMethod::Sha384, "sha384sum"}, {SumMethod::Sha512, "sha512sum"}};
    for (const auto& t : tools) {
        const RunResult out = RunTool(t.tool, {path});
        ASSERT_EQ(out.status, 0) << t.tool;
        const QString expected = QString::fromLatin1(out.out).section(QLatin1Char(' '), 0, 0).toUpper();
        SumRequest r{0, ~uint64_t(0), 0};
        EXPECT_EQ(RunSum(file, r, t.method).lines[2], expected) << t.tool;
        SumRequest m{0, ~uint64_t(0), 0};
        EXPECT_EQ(RunSum(mem, m, t.method).lines[2], expected) << t.tool;
        SumRequest b{0, ~uint64_t(0), 0};
        EXPECT_EQ(RunSum(read, b, t.method).lines[2], expected) << t.tool;
    }
    // CRC32 of a middle range against Python's zlib.
    const QString crc = Python("import zlib,sys\nd=open(sys.argv[1],'rb').read()\nprint('%08X' % zlib.crc32(d[12345:2400001]))", {path});
    SumRequest r{12345, 2400000, 0};
    EXPECT_EQ(RunSum(file, r, SumMethod::Crc32).lines[2], crc);
    SumRequest rr{12345, 2400000, 0};
    EXPECT_EQ(RunSum(read, rr, SumMethod::Crc32).lines[2], crc);
    // Known vector: CRC-32 of "123456789" is CBF43926.
    const std::vector<uint8_t> check{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Sum(check, 0, 8, SumMethod::Crc32)[2], "CBF43926");
    // The accumulations read from a file in blocks equal those in memory, with an odd start.
    for (SumMethod m : {SumMethod::Add, SumMethod::Subtract, SumMethod::Xor}) {
        SumRequest a{3, 2'400'001, 0x12345};
        SumRequest b = a;
        EXPECT_EQ(RunSum(file, a, m).lines, RunSum(mem, b, m).lines);
    }
    // ... and equal a plain byte-by-byte reading of the rule.
    uint32_t a1 = 0, a2 = 0, a4 = 0;
    for (uint64_t k = 3; k <= 2'400'001; ++k) {
        const uint64_t i = k - 3;
        a1 += d[k];
        if (i % 2 == 0)
            a2 += d[k] | (k + 1 < d.size() ? d[k + 1] << 8 : 0);
        if (i % 4 == 0)
            a4 += d[k] | d[k + 1] << 8 | d[k + 2] << 16 | uint32_t(d[k + 3]) << 24;
    }
    SumRequest plain{3, 2'400'001, 0};
    const QStringList lines = RunSum(mem, plain, SumMethod::Add).lines;
    EXPECT_EQ(lines[2], QStringLiteral("読み込み幅1Byte  ") + QStringLiteral("%1").arg(a1, 8, 16, QLatin1Char('0')).toUpper());
    EXPECT_EQ(lines[3], QStringLiteral("読み込み幅2Byte  ") + QStringLiteral("%1").arg(a2, 8, 16, QLatin1Char('0')).toUpper());
    EXPECT_EQ(lines[4], QStringLiteral("読み込み幅4Byte  ") + QStringLiteral("%1").arg(a4, 8, 16, QLatin1Char('0')).toUpper());
}

TEST(SumCalculatorTest, UnreadableFileStillGivesTheLines)
{
    QTemporaryDir dir;
    FileByteSource missing(dir.filePath("gone.bin"));
    SumRequest r{0, 3, 0x10};
    const SumResult add = RunSum(missing, r, SumMethod::Add);
    EXPECT_FALSE(add.errorText.isEmpty());
    EXPECT_EQ(add.lines[2], QStringLiteral("読み込み幅1Byte  00000010"));
    EXPECT_EQ(RunSum(missing, r, SumMethod::Crc32).lines[2], "00000000");
    const SumResult sha = RunSum(missing, r, SumMethod::Sha256);
    EXPECT_EQ(sha.lines.size(), 4);
    EXPECT_EQ(sha.lines[2], QStringLiteral("ハッシュ値を計算できませんでした。")); // never a digest
}
