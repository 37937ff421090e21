// A hit list scanned in two halves at once lists exactly what one walk lists, in the same order,
// whatever the hits do at the middle, when the second half's lines outgrow their room, when the
// walk is stopped, and when the mapped file is cut shorter meanwhile.
#include "document/MappedByteSource.h"
#include "search/SearchEngine.h"

#include "SearchTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace testsupport;

namespace {

struct Listed
{
    HitListResult result;
    std::vector<uint64_t> hits;
    QByteArray text;
};

Listed List(ByteSource& source, const QString& hex, bool twoCores, const std::atomic<bool>& stop)
{
    Listed l;
    const SearchPattern pattern = *SearchPattern::FromHexText(hex, true);
    l.result = ListHits(source, pattern, false, stop, [&](HitBatch&& b) {
        l.hits.insert(l.hits.end(), b.hits.begin(), b.hits.end());
        l.text += b.text;
    }, 1000, HitText::Bytes, twoCores);
    return l;
}

// 40 MiB of 'A'..'D' (so short patterns hit often), with "ABCDABCD" runs planted across the middle.
std::vector<uint8_t> Data()
{
    std::vector<uint8_t> bytes = RandomBytes(size_t(40) << 20, 5, 4);
    for (auto& b : bytes)
        b = static_cast<uint8_t>('A' + b % 4);
    const size_t mid = bytes.size() / 2;
    const char run[] = "ABCDABCDABCD";
    std::copy(run, run + 12, bytes.begin() + static_cast<long>(mid - 6));
    return bytes;
}

} // namespace

TEST(ListSplit, TwoHalvesListWhatOneWalkLists)
{
    const std::vector<uint8_t> bytes = Data();
    ASSERT_GE(bytes.size(), kSplitFrom);
    MemoryByteSource source(bytes.data(), bytes.size());
    const std::atomic<bool> stop{false};
    // Long and short patterns, a wildcard, one of a single byte; hits that straddle the middle
    // and overlap each other.
    for (const char* hex : {"4142434441424344", "41424344", "4?42", "44", "41??43"}) {
        SCOPED_TRACE(hex);
        const Listed one = List(source, QString::fromLatin1(hex), false, stop);
        const Listed two = List(source, QString::fromLatin1(hex), true, stop);
        ASSERT_EQ(one.result.status, ScanResult::Found);
        ASSERT_EQ(two.result.status, ScanResult::Found);
        EXPECT_EQ(two.result.hitCount, one.result.hitCount);
        EXPECT_EQ(two.hits, one.hits);
        EXPECT_TRUE(two.text == one.text);
    }

    // The second half's lines outgrow their room: the rest is listed after the first half.
    const size_t room = g_listSplitKeepBytes;
    g_listSplitKeepBytes = 4096;
    const Listed one = List(source, QStringLiteral("4142"), false, stop);
    const Listed two = List(source, QStringLiteral("4142"), true, stop);
    g_listSplitKeepBytes = room;
    EXPECT_GT(one.result.hitCount, 1000000u);
    EXPECT_EQ(two.hits, one.hits);
    EXPECT_TRUE(two.text == one.text);

    // A stopped walk lists nothing more and says so; both threads end.
    const std::atomic<bool> stopped{true};
    const Listed none = List(source, QStringLiteral("41"), true, stopped);
    EXPECT_EQ(none.result.status, ScanResult::Stopped);
}

TEST(ListSplit, AMappedFileCutShorterDuringTheWalkFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.bin");
    ASSERT_TRUE(WriteFile(path, Data()));
    MappedByteSource source(path);
    ASSERT_TRUE(source.IsMapped());
    // Another program cuts the file to 1 MiB after it was mapped: both halves meet missing pages.
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), off_t(1) << 20), 0);
    const std::atomic<bool> stop{false};
    const Listed l = List(source, QStringLiteral("41424344"), true, stop);
    EXPECT_EQ(l.result.status, ScanResult::Failed);
    EXPECT_EQ(l.result.errorText, ShortReadText());
}
