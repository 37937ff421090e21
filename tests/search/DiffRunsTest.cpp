// Tests of the compare steps and the difference runs, the runs checked against cmp -l.
#include "search/DiffRuns.h"

#include "SearchTestSupport.h"
#include "document/MappedByteSource.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

TEST(DiffRunsTest, NextAndPreviousOfTheExample)
{
    const std::vector<uint8_t> a{0x00, 0x11, 0x22, 0x33};
    const std::vector<uint8_t> b{0x00, 0x10, 0x20, 0x33};
    MemoryByteSource own(a.data(), a.size()), partner(b.data(), b.size());
    uint64_t cursor = 0;
    DiffMark mark;
    EXPECT_TRUE(DiffNext(own, partner, cursor, mark).found);
    EXPECT_EQ(mark.start, 1u);
    EXPECT_EQ(mark.end, 2u);
    EXPECT_EQ(cursor, 1u);
    // Nothing more: the cursor is left on the mark's end.
    EXPECT_FALSE(DiffNext(own, partner, cursor, mark).found);
    EXPECT_EQ(cursor, 2u);
    // 前へ from inside the mark finds nothing before it.
    EXPECT_FALSE(DiffPrev(own, partner, cursor, mark).found);
    EXPECT_EQ(cursor, 2u);
    // From the end, 前へ marks the whole run.
    cursor = 4;
    mark = {};
    EXPECT_TRUE(DiffPrev(own, partner, cursor, mark).found);
    EXPECT_EQ(mark.start, 1u);
    EXPECT_EQ(mark.end, 2u);
    EXPECT_EQ(cursor, 1u);
}

TEST(DiffRunsTest, EdgesOfTheComparedLength)
{
    // A difference at address 0 is found by 前へ; a run reaching the compared end stops there.
    const std::vector<uint8_t> a{0xFF, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    const std::vector<uint8_t> b{0x00, 0x00, 0x00, 0x00};
    MemoryByteSource own(a.data(), a.size()), partner(b.data(), b.size());
    EXPECT_EQ(ComparedLength(own, partner), 4u);
    uint64_t cursor = 2;
    DiffMark mark;
    EXPECT_TRUE(DiffPrev(own, partner, cursor, mark).found);
    EXPECT_EQ(cursor, 0u);
    EXPECT_EQ(mark.end, 0u);
    EXPECT_TRUE(DiffNext(own, partner, cursor, mark).found);
    EXPECT_EQ(mark.start, 3u);
    EXPECT_EQ(mark.end, 3u); // addresses 4 to 9 are never compared
    EXPECT_FALSE(DiffNext(own, partner, cursor, mark).found);

    std::vector<std::pair<uint64_t, uint64_t>> runs;
    ForEachDiffRun(own, partner, nullptr, [&](uint64_t f, uint64_t l) {
        runs.emplace_back(f, l);
        return true;
    });
    EXPECT_EQ(runs, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 0}, {3, 3}}));
    EXPECT_EQ(FormatDiffRun(0x10, 0x1F, 100), "00000010 - 0000001F");
    EXPECT_EQ(FormatDiffRun(0x10, 0x1F, uint64_t(1) << 32), "00000000-00000010 - 00000000-0000001F");
}

TEST(DiffRunsTest, RunsOfFilesMatchCmp)
{
    QTemporaryDir dir;
    auto a = RandomBytes(3'200'000, 1);
    auto b = a;
    std::mt19937 rng(2);
    for (int i = 0; i < 400; ++i) {
        const size_t at = rng() % a.size();
        const size_t len = 1 + rng() % 40;
        for (size_t k = at; k < std::min(a.size(), at + len); ++k)
            b[k] = static_cast<uint8_t>(a[k] ^ (1 + rng() % 255));
    }
    // Runs across the 1 MiB block edge and at both ends.
    for (size_t k = (1 << 20) - 3; k < (1 << 20) + 3; ++k)
        b[k] = static_cast<uint8_t>(~a[k]);
    b[0] = static_cast<uint8_t>(~a[0]);
    b.back() = static_cast<uint8_t>(~a.back());
    b.push_back(0x55); // a longer partner: the extra byte is not compared
    const QString pa = dir.filePath("a.bin"), pb = dir.filePath("b.bin");
    ASSERT_TRUE(WriteFile(pa, a));
    ASSERT_TRUE(WriteFile(pb, b));

    // cmp -l: one line per differing byte, 1-based decimal offsets; joined into runs.
    const RunResult cmp = RunTool("cmp", {"-l", pa, pb});
    std::vector<std::pair<uint64_t, uint64_t>> expected;
    for (const QByteArray& line : cmp.out.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.isEmpty())
            continue;
        const uint64_t at = t.split(' ').front().toULongLong() - 1;
        if (!expected.empty() && expected.back().second + 1 == at)
            expected.back().second = at;
        else
            expected.emplace_back(at, at);
    }
    ASSERT_GT(expected.size(), 100u);

    // Mapped, and read in blocks.
    for (const bool mapped : {false, true}) {
        SCOPED_TRACE(mapped ? "mapped" : "read");
        auto open = [mapped](const QString& p) -> std::unique_ptr<ByteSource> {
            if (mapped)
                return std::make_unique<MappedByteSource>(p);
            return std::make_unique<FileByteSource>(p);
        };
        auto pfa = open(pa), pfb = open(pb);
        ByteSource& fa = *pfa;
        ByteSource& fb = *pfb;
        std::vector<std::pair<uint64_t, uint64_t>> runs;
        const DiffStepResult r = ForEachDiffRun(fa, fb, nullptr, [&](uint64_t f, uint64_t l) {
            runs.emplace_back(f, l);
            return true;
        });
        EXPECT_FALSE(r.failed);
        EXPECT_EQ(runs, expected);

        // Repeated 次へ from the first run, and 前へ back from the end, visit the same runs.
        ASSERT_EQ(expected[0].first, 0u);
        uint64_t cursor = 0;
        DiffMark mark{0, expected[0].second}; // as after 前へ found the run at address 0
        std::vector<std::pair<uint64_t, uint64_t>> forward{{0, expected[0].second}};
        while (DiffNext(fa, fb, cursor, mark).found)
            forward.emplace_back(mark.start, mark.end);
        EXPECT_EQ(forward, expected);
        cursor = a.size();
        mark = {};
        std::vector<std::pair<uint64_t, uint64_t>> backward;
        while (DiffPrev(fa, fb, cursor, mark).found)
            backward.emplace_back(mark.start, mark.end);
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, expected);
    }
}

namespace {

// Bytes served only through Read(), counting the bytes copied.
class CountingSource final : public ByteSource
{
public:
    explicit CountingSource(const std::vector<uint8_t>& bytes) : m_mem(bytes.data(), bytes.size()) {}
    uint64_t Size() const override { return m_mem.Size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        const int64_t got = m_mem.Read(address, dst, n);
        copied += static_cast<uint64_t>(std::max<int64_t>(got, 0));
        return got;
    }
    uint64_t copied = 0;

private:
    MemoryByteSource m_mem;
};

} // namespace

TEST(DiffRunsTest, ManyRunsReadEachBlockOnce)
{
    // 20,000 runs in 4 MiB: the walk reads every block of both sources once, not once per run.
    const size_t size = 4u << 20;
    auto a = RandomBytes(size, 5);
    auto b = a;
    for (size_t at = 7; at < size; at += 209)
        b[at] = static_cast<uint8_t>(~a[at]);
    CountingSource sa(a), sb(b);
    size_t runs = 0;
    EXPECT_FALSE(ForEachDiffRun(sa, sb, nullptr, [&](uint64_t, uint64_t) { return ++runs, true; }).failed);
    EXPECT_EQ(runs, (size - 7 + 208) / 209);
    EXPECT_LE(sa.copied, size + (1u << 20));
    EXPECT_LE(sb.copied, size + (1u << 20));
}
