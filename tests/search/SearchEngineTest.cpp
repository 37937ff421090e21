// Tests of the search steps from the cursor, the hit listing and the jump.
#include "search/SearchEngine.h"

#include "ScriptedPrompter.h"
#include "SearchTestSupport.h"
#include "document/MappedByteSource.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

SearchPattern Pattern(const char* hex, bool written = true)
{
    return *SearchPattern::FromHexText(hex, written);
}

struct Listing
{
    std::vector<uint64_t> hits;
    QStringList lines;
    HitListResult result;
};

Listing List(ByteSource& src, const SearchPattern& p, bool longAddresses = false, size_t batch = 4096)
{
    Listing l;
    std::atomic<bool> stop{false};
    l.result = ListHits(src, p, longAddresses, stop, [&](HitBatch&& b) {
        EXPECT_LE(b.hits.size(), batch);
        l.hits.insert(l.hits.end(), b.hits.begin(), b.hits.end());
        l.lines += b.lines;
    }, batch);
    return l;
}

} // namespace

TEST(SearchEngineTest, NewSearchNextAndWrap)
{
    // Hits of 41 42 at 2 and 6.
    const std::vector<uint8_t> d{0, 0, 0x41, 0x42, 0, 0, 0x41, 0x42, 0};
    MemoryByteSource src(d.data(), d.size());
    SearchPattern p = Pattern("4142");
    SearchCursor s;
    s.cursor = 2; // on a hit: a new search finds it
    s.selStart = 1;
    s.selEnd = 3;
    SearchStepOutcome o = SearchStep(src, p, true, true, FindMode::Memory, s);
    EXPECT_TRUE(o.result.found());
    EXPECT_TRUE(o.startListing);
    EXPECT_EQ(s.cursor, 2u);
    EXPECT_EQ(s.findPos, 2u);
    EXPECT_EQ(s.findLen, 2);
    EXPECT_EQ(s.selStart, kNoAddress); // the selection goes

    // 検索 again with the same pattern (hit list filled): the next hit.
    o = SearchStep(src, p, false, false, FindMode::Memory, s);
    EXPECT_EQ(s.cursor, 6u);
    EXPECT_FALSE(o.startListing);
    // Nothing after 6: wraps to the first hit from address 0.
    o = SearchStep(src, p, false, false, FindMode::Memory, s);
    EXPECT_EQ(s.cursor, 2u);

    // 次へ with an empty hit list is a new search that includes the cursor.
    p.SetRequestKind(SearchPattern::Request::Forward);
    s.cursor = 6;
    o = SearchStep(src, p, false, true, FindMode::Memory, s);
    EXPECT_EQ(s.cursor, 6u);
    EXPECT_TRUE(o.startListing);
    EXPECT_EQ(p.RequestKind(), SearchPattern::Request::NewSearch);

    // 次へ proper moves on; at the last hit it stays.
    p.SetRequestKind(SearchPattern::Request::Forward);
    s.cursor = 2;
    SearchStep(src, p, false, false, FindMode::Memory, s);
    EXPECT_EQ(s.cursor, 6u);
    p.SetRequestKind(SearchPattern::Request::Forward);
    o = SearchStep(src, p, false, false, FindMode::Memory, s);
    EXPECT_FALSE(o.result.found());
    EXPECT_EQ(s.cursor, 6u);

    // A new search without any hit returns the cursor to the selection anchor.
    SearchPattern none = Pattern("FFEE");
    s.cursor = 5;
    s.selAnchor = 3;
    o = SearchStep(src, none, true, true, FindMode::Memory, s);
    EXPECT_FALSE(o.result.found());
    EXPECT_EQ(s.cursor, 3u);
}

TEST(SearchEngineTest, BackwardStepsDifferInMemoryAndOnDisk)
{
    // 4-byte pattern AA AA AA AA; bytes AA from 4 to 13: hits start at 4..10.
    std::vector<uint8_t> d(20, 0);
    for (int i = 4; i < 14; ++i)
        d[i] = 0xAA;
    MemoryByteSource src(d.data(), d.size());
    const PatternScanner sc(Pattern("AAAAAAAA"));
    SearchCursor s;
    s.cursor = 10;
    ASSERT_TRUE(FindBackward(src, sc, s, FindMode::Memory).found());
    EXPECT_EQ(s.cursor, 6u); // wholly before the cursor: never 7, 8 or 9
    s.cursor = 10;
    ASSERT_TRUE(FindBackward(src, sc, s, FindMode::DirectEdit).found());
    EXPECT_EQ(s.cursor, 9u); // on disk a hit may reach past the cursor

    // 前へ at address 0 still finds a one-byte hit there.
    const std::vector<uint8_t> one{0x41, 0, 0};
    MemoryByteSource src1(one.data(), one.size());
    SearchPattern p = Pattern("41");
    p.SetRequestKind(SearchPattern::Request::Backward);
    SearchCursor c;
    c.cursor = 0;
    EXPECT_TRUE(SearchStep(src1, p, false, false, FindMode::Memory, c).result.found());
    EXPECT_EQ(c.cursor, 0u);
    // An empty document finds nothing in any direction.
    MemoryByteSource empty(nullptr, 0);
    SearchCursor e;
    EXPECT_FALSE(SearchStep(empty, p, true, true, FindMode::Memory, e).result.found());
}

TEST(SearchEngineTest, ListingLinesSummaryAndLongAddresses)
{
    const std::vector<uint8_t> d{0xAA, 0xAA, 0xAA, 0xAA, 0xE7, 0x03};
    MemoryByteSource src(d.data(), d.size());
    Listing l = List(src, Pattern("AAAA"));
    EXPECT_EQ(l.hits, (std::vector<uint64_t>{0, 1, 2})); // overlapping hits all count
    EXPECT_EQ(l.lines, (QStringList{"00000000  AAAA", "00000001  AAAA", "00000002  AAAA"}));
    EXPECT_EQ(SearchSummaryLines(3), (QStringList{"", QStringLiteral("検索結果　3件")}));

    // The bytes shown are the document's, wildcards resolved.
    l = List(src, Pattern("03E7", false), true);
    EXPECT_EQ(l.lines, QStringList{"00000000-00000004  E703"});
    EXPECT_TRUE(UseLongAddresses(FindMode::DirectEdit, uint64_t(1) << 32));
    EXPECT_FALSE(UseLongAddresses(FindMode::DirectEdit, (uint64_t(1) << 32) - 1));
    EXPECT_FALSE(UseLongAddresses(FindMode::Memory, uint64_t(1) << 33));
    EXPECT_EQ(FormatHitLine(0x1ABCD0123ull, d.data() + 4, 2, true), "00000001-ABCD0123  E703");

    // Batches: 10,000 hits in batches of at most 1000, in order.
    std::vector<uint8_t> many(10'000, 0x41);
    MemoryByteSource m(many.data(), many.size());
    l = List(m, Pattern("41"), false, 1000);
    ASSERT_EQ(l.hits.size(), 10'000u);
    EXPECT_TRUE(std::is_sorted(l.hits.begin(), l.hits.end()));
    EXPECT_EQ(l.lines.back(), "0000270F  41");

    // A set stop flag ends the walk early and says so.
    std::atomic<bool> stop{true};
    const HitListResult r = ListHits(m, Pattern("41"), false, stop, [](HitBatch&&) {});
    EXPECT_EQ(r.status, ScanResult::Stopped);
}

TEST(SearchEngineTest, RelistJumpAndFailures)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.bin");
    std::vector<uint8_t> d = RandomBytes(3'000'000, 3);
    d[5] = 0x11;
    d[6] = 0x22;
    d[2'500'000] = 0x11;
    d[2'500'001] = 0x22;
    ASSERT_TRUE(WriteFile(path, d));
    MappedByteSource file(path);
    MemoryByteSource mem(d.data(), d.size());
    FileByteSource read(path);
    const Listing onDisk = List(file, Pattern("1122"));
    const Listing inMemory = List(mem, Pattern("1122"));
    EXPECT_EQ(onDisk.lines, inMemory.lines);
    EXPECT_EQ(List(read, Pattern("1122")).lines, inMemory.lines);
    ASSERT_GE(onDisk.hits.size(), 2u);

    // Listed as bytes (small batches, long addresses), the text is the same lines.
    for (const bool longAddresses : {false, true}) {
        QByteArray text;
        std::atomic<bool> go{false};
        const HitListResult r = ListHits(
            file, Pattern("1122"), longAddresses, go, [&](HitBatch&& b) { text += b.text; }, 3, HitText::Bytes);
        EXPECT_EQ(r.hitCount, onDisk.hits.size());
        QByteArray expected;
        for (const QString& line : List(mem, Pattern("1122"), longAddresses).lines)
            expected += line.toLatin1() + '\n';
        EXPECT_EQ(text, expected);
    }

    // The re-list reads the bytes again and gives the same lines.
    QStringList relisted;
    std::atomic<bool> stop{false};
    RelistHits(file, onDisk.hits, 2, false, stop, [&](HitBatch&& b) { relisted += b.lines; });
    EXPECT_EQ(relisted, onDisk.lines);

    SearchCursor s;
    EXPECT_TRUE(JumpToHit(onDisk.hits, 1, 2, s));
    EXPECT_EQ(s.cursor, onDisk.hits[1]);
    EXPECT_EQ(s.findLen, 2);
    // The empty line and the summary line after the hits do nothing.
    SearchCursor before = s;
    EXPECT_FALSE(JumpToHit(onDisk.hits, onDisk.hits.size(), 2, s));
    EXPECT_FALSE(JumpToHit(onDisk.hits, onDisk.hits.size() + 1, 2, s));
    EXPECT_EQ(s.cursor, before.cursor);

    // A file that cannot be read: the step finds nothing and the error is shown.
    ScriptedPrompter prompter;
    FileByteSource missing(dir.filePath("gone.bin"));
    SearchPattern p = Pattern("1122");
    SearchCursor c;
    c.cursor = 7;
    const SearchStepOutcome o = SearchStep(missing, p, true, true, FindMode::DirectEdit, c);
    EXPECT_EQ(o.result.status, ScanResult::Failed);
    EXPECT_EQ(c.cursor, 7u); // the cursor stays
    EXPECT_EQ(prompter.asked.size(), 1u); // one message, not one per attempt
    EXPECT_EQ(prompter.asked[0].caption, QStringLiteral("エラー"));
    std::atomic<bool> stop2{false};
    EXPECT_EQ(ListHits(missing, p, false, stop2, [](HitBatch&&) {}).status, ScanResult::Failed);
}
