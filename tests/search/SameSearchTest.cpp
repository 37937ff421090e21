// Tests of the same search: the groups, their order and caps against a plain rendering of the
// pairwise algorithm, the lines, and file sources.
#include "search/SameSearch.h"

#include "SearchTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// The pairwise walk: each new key is compared with the rest of the range.
std::vector<SAMESEARCHLIST> Reference(const std::vector<uint8_t>& d, int64_t n, uint64_t s, uint64_t e, int64_t g)
{
    std::vector<SAMESEARCHLIST> groups;
    std::vector<QString> known;
    const uint64_t size = d.size();
    for (uint64_t i = s; i < e && i < size; ++i) {
        if (i + n > size)
            break;
        const QString key = SameSearchKey(d.data() + i, static_cast<size_t>(n));
        if (std::find(known.begin(), known.end(), key) != known.end())
            continue;
        SAMESEARCHLIST group{key, {}};
        int64_t t = 0;
        for (uint64_t m = i + 1; m < e && m < size && t < g; ++m) {
            if (m + n > e || m + n > size)
                continue;
            if (std::equal(d.begin() + i, d.begin() + i + n, d.begin() + m)) {
                if (t == 0) {
                    known.push_back(key);
                    group.addresses.push_back(i);
                    ++t;
                }
                group.addresses.push_back(m);
                ++t;
            }
        }
        if (t > 0)
            groups.push_back(group);
    }
    return groups;
}

bool Same(const std::vector<SAMESEARCHLIST>& a, const std::vector<SAMESEARCHLIST>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].key != b[i].key || a[i].addresses != b[i].addresses)
            return false;
    return true;
}

std::vector<SAMESEARCHLIST> Groups(const std::vector<uint8_t>& d, int64_t n, uint64_t s, uint64_t e, int64_t g)
{
    MemoryByteSource src(d.data(), d.size());
    std::atomic<bool> stop{false};
    return RunSameSearch(src, {n, s, e, g}, stop).groups;
}

} // namespace

TEST(SameSearchTest, GroupsOfTheExample)
{
    const std::vector<uint8_t> d{0x41, 0x42, 0x41, 0x42, 0x41, 0x42};
    auto groups = Groups(d, 2, 0, 6, 50);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].key, "41 42 ");
    EXPECT_EQ(groups[0].addresses, (std::vector<uint64_t>{0, 2, 4}));
    EXPECT_EQ(groups[1].key, "42 41 ");
    EXPECT_EQ(groups[1].addresses, (std::vector<uint64_t>{1, 3}));
    // A limit of 2 keeps the first two; 1 still gives two; 0 gives none.
    EXPECT_EQ(Groups(d, 2, 0, 6, 2)[0].addresses, (std::vector<uint64_t>{0, 2}));
    EXPECT_EQ(Groups(d, 2, 0, 6, 1)[0].addresses, (std::vector<uint64_t>{0, 2}));
    EXPECT_TRUE(Groups(d, 2, 0, 6, 0).empty());
    // A sequence that occurs once forms no group; a range past the end is cut there.
    EXPECT_TRUE(Groups({1, 2, 3, 4}, 2, 0, 100, 50).empty());
    EXPECT_EQ(Groups(d, 2, 1, 1000, 50).size(), 2u);
    EXPECT_TRUE(Groups(d, 0, 0, 6, 50).empty());
    EXPECT_TRUE(Groups(d, 7, 0, 6, 50).empty());

    EXPECT_EQ(SameSearchAllLines(groups),
              (QStringList{"00000000-00000000  41 42 ", "00000000-00000002  41 42 ", "00000000-00000004  41 42 ",
                           "00000000-00000001  42 41 ", "00000000-00000003  42 41 ", "", QStringLiteral("5件")}));
    EXPECT_EQ(SameSearchGroupLines(groups[1]),
              (QStringList{"00000000-00000001", "00000000-00000003", "", QStringLiteral("2件")}));
    EXPECT_EQ(SameSearchGroupCountEntry(2), QStringLiteral("2グループ"));
}

TEST(SameSearchTest, AgreesWithThePairwiseWalk)
{
    std::mt19937 rng(21);
    for (int round = 0; round < 120; ++round) {
        const auto d = RandomBytes(20 + rng() % 400, rng(), 2 + round % 4);
        const int64_t n = 1 + rng() % 9; // both the exact (up to 4) and the hashed keys
        const uint64_t s = rng() % 30;
        const uint64_t e = s + rng() % 450;
        const int64_t g = static_cast<int64_t>(rng() % 6);
        EXPECT_TRUE(Same(Groups(d, n, s, e, g), Reference(d, n, s, e, g)))
            << "round " << round << " n " << n << " s " << s << " e " << e << " g " << g;
    }
    // Long runs of one byte: overlapping occurrences.
    const std::vector<uint8_t> zeros(300, 0);
    EXPECT_TRUE(Same(Groups(zeros, 16, 0, 300, 1000), Reference(zeros, 16, 0, 300, 1000)));
}

TEST(SameSearchTest, FileSourcesProgressAndStop)
{
    QTemporaryDir dir;
    const auto d = RandomBytes(3'000'000, 4, 6);
    const QString path = dir.filePath("s.bin");
    ASSERT_TRUE(WriteFile(path, d));
    FileByteSource file(path);
    std::atomic<bool> stop{false};
    double last = 0;
    const SameSearchResult fromFile = RunSameSearch(file, {12, 0x1000, 0x1000 + 0x200000, 3}, stop, [&](double f) {
        EXPECT_GE(f, last);
        last = f;
    });
    EXPECT_EQ(last, 1.0);
    EXPECT_EQ(fromFile.status, ScanResult::Found);
    const auto inMemory = Groups(d, 12, 0x1000, 0x1000 + 0x200000, 3);
    EXPECT_FALSE(inMemory.empty());
    EXPECT_TRUE(Same(fromFile.groups, inMemory));

    std::atomic<bool> stopped{true};
    EXPECT_EQ(RunSameSearch(file, {12, 0, 0x100000, 3}, stopped).status, ScanResult::Stopped);
    EXPECT_EQ(SameSearchStoppedLine(), QStringLiteral("検索を中止しました。"));
}

TEST(SameSearchTest, PassesPublishingAndMemoryRefusal)
{
    // A budget too small for one table splits the run into passes; the groups stay the same.
    const auto d = RandomBytes(60'000, 9, 5);
    MemoryByteSource src(d.data(), d.size());
    std::atomic<bool> stop{false};
    const SameSearchRequest request{5, 100, 59'000, 4};
    const SameSearchResult whole = RunSameSearch(src, request, stop);
    ASSERT_EQ(whole.status, ScanResult::Found);
    ASSERT_GT(whole.groups.size(), 300u);
    EXPECT_TRUE(Same(whole.groups, Reference(d, 5, 100, 59'000, 4)));
    SameSearchOptions split;
    split.memoryBudget = 300'000; // the table takes about 470,000 bytes: four passes
    std::vector<SAMESEARCHLIST> published;
    split.groupsFound = [&](const std::vector<SAMESEARCHLIST>& block) {
        EXPECT_FALSE(block.empty());
        published.insert(published.end(), block.begin(), block.end());
    };
    const SameSearchResult passes = RunSameSearch(src, request, stop, split);
    EXPECT_EQ(passes.status, ScanResult::Found);
    EXPECT_TRUE(Same(passes.groups, whole.groups));
    // Every group was handed out once while the run went on, in blocks.
    ASSERT_EQ(published.size(), whole.groups.size());
    std::sort(published.begin(), published.end(),
              [](const SAMESEARCHLIST& a, const SAMESEARCHLIST& b) { return a.addresses[0] < b.addresses[0]; });
    EXPECT_TRUE(Same(published, whole.groups));

    // A stop after the first block keeps the groups found so far, in order, each one complete.
    std::atomic<bool> stopAfterFirst{false};
    SameSearchOptions stopping;
    stopping.memoryBudget = split.memoryBudget;
    stopping.groupsFound = [&](const std::vector<SAMESEARCHLIST>&) { stopAfterFirst.store(true); };
    const SameSearchResult partial = RunSameSearch(src, request, stopAfterFirst, stopping);
    EXPECT_EQ(partial.status, ScanResult::Stopped);
    ASSERT_FALSE(partial.groups.empty());
    EXPECT_LT(partial.groups.size(), whole.groups.size());
    for (size_t i = 0; i < partial.groups.size(); ++i) {
        if (i > 0)
            EXPECT_LT(partial.groups[i - 1].addresses[0], partial.groups[i].addresses[0]);
        const auto it = std::find_if(whole.groups.begin(), whole.groups.end(),
                                     [&](const SAMESEARCHLIST& g) { return g.key == partial.groups[i].key; });
        ASSERT_NE(it, whole.groups.end());
        EXPECT_EQ(it->addresses, partial.groups[i].addresses);
    }

    // Bytes that would have to be copied into a memory that cannot hold them: refused with the
    // sizes, before anything is read.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.bin");
    ASSERT_TRUE(WriteFile(path, d));
    FileByteSource file(path);
    SameSearchOptions tight;
    tight.memoryBudget = 50'000;
    const SameSearchResult refused = RunSameSearch(file, request, stop, tight);
    EXPECT_EQ(refused.status, ScanResult::Failed);
    EXPECT_TRUE(refused.errorText.startsWith(QStringLiteral("同一検索の範囲が大きすぎます。"))) << refused.errorText.toStdString();
    EXPECT_TRUE(refused.errorText.contains(QStringLiteral("空きメモリ"))) << refused.errorText.toStdString();
    // Tables that would need more than sixteen passes are refused as well.
    tight.memoryBudget = 20'000;
    EXPECT_EQ(RunSameSearch(src, request, stop, tight).status, ScanResult::Failed);
    EXPECT_GT(SameSearchFreeMemory(), 0u);
}
