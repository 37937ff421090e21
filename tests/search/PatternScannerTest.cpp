// Tests of pattern scanning: every result against a plain address-by-address check, in memory
// and through files read in blocks, and hit counts against Python's regular expressions.
#include "search/PatternScanner.h"
#include "search/SearchEngine.h"

#include "SearchTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::vector<uint64_t> NaiveHits(const std::vector<uint8_t>& data, const SearchPattern& p, bool overlapping)
{
    std::vector<uint64_t> hits;
    const size_t n = p.Length();
    for (size_t a = 0; a + n <= data.size();) {
        if (p.MatchesAt(data.data() + a)) {
            hits.push_back(a);
            a += overlapping ? 1 : n;
        } else {
            ++a;
        }
    }
    return hits;
}

std::vector<uint64_t> ScannerHits(ByteSource& src, const SearchPattern& p, bool overlapping)
{
    std::vector<uint64_t> hits;
    PatternScanner(p).ForEachHit(src, 0, overlapping, nullptr, [&](uint64_t a, const uint8_t*) {
        hits.push_back(a);
        return true;
    });
    return hits;
}

QString RandomPatternText(std::mt19937& rng, int digits, bool wild)
{
    static const char kChars[] = "0123456789ABCDEF";
    QString s;
    for (int i = 0; i < digits; ++i) {
        if (wild && rng() % 4 == 0)
            s += QLatin1Char('?');
        else
            s += QLatin1Char(i % 2 ? kChars[rng() % 16] : "44"[rng() % 2]); // high nibbles 4: frequent hits
    }
    return s;
}

} // namespace

TEST(PatternScannerTest, AgreesWithTheMatchingRuleEverywhere)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const auto data = RandomBytes(1 + rng() % 300, rng(), 3 + round % 5);
        const auto p = *SearchPattern::FromHexText(RandomPatternText(rng, 1 + rng() % 8, round % 2), round % 3 == 0);
        const auto expected = NaiveHits(data, p, true);
        MemoryByteSource mem(data.data(), data.size());
        EXPECT_EQ(ScannerHits(mem, p, true), expected);
        EXPECT_EQ(ScannerHits(mem, p, false), NaiveHits(data, p, false));

        // First and last hit in a window, forward and backward.
        const PatternScanner sc(p);
        const uint64_t from = rng() % (data.size() + 1);
        auto first = std::find_if(expected.begin(), expected.end(), [&](uint64_t a) { return a >= from; });
        const ScanResult f = sc.FindForward(mem, from, kNoAddress);
        EXPECT_EQ(f.found(), first != expected.end());
        if (f.found()) {
            EXPECT_EQ(f.address, *first);
        }
        const ScanResult b = sc.FindBackward(mem, from, kNoAddress);
        auto last = std::find_if(expected.rbegin(), expected.rend(), [&](uint64_t a) { return a <= from; });
        EXPECT_EQ(b.found(), last != expected.rend());
        if (b.found()) {
            EXPECT_EQ(b.address, *last);
        }
    }
}

TEST(PatternScannerTest, FilesReadInBlocksGiveTheSameHitsAcrossBlockEdges)
{
    QTemporaryDir dir;
    const size_t block = PatternScanner::kBlockSize;
    auto data = RandomBytes(3 * block + 100, 11);
    const uint8_t pat[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    // Hits that straddle each block edge, at the very start and at the very end.
    for (size_t at : {size_t(0), block - 2, 2 * block - 4, 2 * block + 1, data.size() - 5})
        std::copy(pat, pat + 5, data.begin() + static_cast<long>(at));
    const QString path = dir.filePath("d.bin");
    ASSERT_TRUE(WriteFile(path, data));
    const auto p = *SearchPattern::FromHexText("123456789A", true);
    FileByteSource file(path);
    ASSERT_TRUE(file.IsOpen());
    const auto expected = NaiveHits(data, p, true);
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(ScannerHits(file, p, true), expected);

    const PatternScanner sc(p);
    EXPECT_EQ(sc.FindForward(file, block - 1, kNoAddress).address, 2 * block - 4);
    EXPECT_EQ(sc.FindBackward(file, 2 * block, kNoAddress).address, 2 * block - 4);
    EXPECT_EQ(sc.FindBackward(file, 2 * block - 5, kNoAddress).address, block - 2);
    // A hit must end at or before the limit.
    EXPECT_FALSE(sc.FindForward(file, data.size() - 5, data.size() - 1).found());
    EXPECT_TRUE(sc.FindForward(file, data.size() - 5, data.size()).found());
    // Small first blocks that grow find the same.
    EXPECT_EQ(sc.FindForward(file, 1, kNoAddress, 64).address, block - 2);
}

TEST(PatternScannerTest, HitCountsMatchPythonRegularExpressions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.bin");
    ASSERT_TRUE(WriteFile(path, RandomBytes(2'000'000, 5, 4))); // bytes 41..44: many hits
    FileByteSource file(path);
    const char* script =
        "import re,sys\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "print(len(re.findall(b'(?=' + re.escape(bytes.fromhex(sys.argv[2])) + b')', d)))\n";
    for (const char* hex : {"41424344", "4444", "4341424142"}) {
        const auto p = *SearchPattern::FromHexText(hex, true);
        const QString expected = Python(script, {path, hex});
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(QString::number(ScannerHits(file, p, true).size()), expected) << hex;
    }
    // "4?4?" (both low nibbles free) is the regex [\x40-\x4f]{2}.
    const auto wild = *SearchPattern::FromHexText("4?4?", true);
    const QString expected = Python(
        "import re,sys\nd=open(sys.argv[1],'rb').read()\nprint(len(re.findall(rb'(?=[\\x40-\\x4f]{2})', d)))", {path});
    EXPECT_EQ(QString::number(ScannerHits(file, wild, true).size()), expected);
}
