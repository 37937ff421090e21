// Tests of how the engines read files: every read lands page to page, and holes are not read.
#include "document/AlignedReader.h"
#include "search/DiffRuns.h"
#include "search/PatternScanner.h"
#include "search/SameSearch.h"
#include "search/SearchEngine.h"
#include "search/SumCalculator.h"
#include "tools/RangeOutput.h"

#include "SearchTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <utility>

using namespace testsupport;

namespace {

constexpr uint64_t kPage = 4096;
constexpr uint64_t kMiB = uint64_t(1) << 20;

// Bytes in memory served only through Read(), like a file, with every read recorded. Ranges named
// as holes hold zeros and are reported as holes.
class RecordingSource final : public ByteSource
{
public:
    struct ReadCall
    {
        uint64_t offset;
        uintptr_t dst;
        size_t n;
    };

    explicit RecordingSource(std::vector<uint8_t> bytes, std::vector<std::pair<uint64_t, uint64_t>> holes = {})
        : m_bytes(std::move(bytes)), m_holes(std::move(holes))
    {
        for (const auto& [begin, end] : m_holes)
            std::fill(m_bytes.begin() + static_cast<ptrdiff_t>(begin), m_bytes.begin() + static_cast<ptrdiff_t>(end), 0);
    }
    uint64_t Size() const override { return m_bytes.size(); }
    int64_t Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        m_reads.push_back({address, reinterpret_cast<uintptr_t>(dst), n});
        if (address >= m_bytes.size())
            return 0;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_bytes.size() - address));
        std::memcpy(dst, m_bytes.data() + address, take);
        return static_cast<int64_t>(take);
    }
    bool MayHaveHoles() const override { return !m_holes.empty(); }
    uint64_t HoleEnd(uint64_t address) override
    {
        for (const auto& [begin, end] : m_holes)
            if (address >= begin && address < end)
                return end;
        return address;
    }
    uint64_t DataEnd(uint64_t address) override
    {
        uint64_t next = m_bytes.size();
        for (const auto& [begin, end] : m_holes)
            if (begin >= address)
                next = std::min(next, begin);
        return next;
    }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<ReadCall> TakeReads() { return std::exchange(m_reads, {}); }

private:
    std::vector<uint8_t> m_bytes;
    std::vector<std::pair<uint64_t, uint64_t>> m_holes;
    std::vector<ReadCall> m_reads;
};

// Every read's destination agrees with its file offset modulo the page size.
void ExpectCongruent(RecordingSource& source, const char* engine)
{
    const auto reads = source.TakeReads();
    EXPECT_FALSE(reads.empty()) << engine;
    for (const auto& r : reads)
        EXPECT_EQ((r.dst - r.offset) % kPage, 0u) << engine << ": a read of " << r.n << " bytes at " << r.offset;
}

// No read touches the inside of a hole.
void ExpectHolesUnread(RecordingSource& source, const std::vector<std::pair<uint64_t, uint64_t>>& holes,
                       const char* engine)
{
    for (const auto& r : source.TakeReads())
        for (const auto& [begin, end] : holes)
            EXPECT_FALSE(r.offset < end && r.offset + r.n > begin)
                << engine << ": a read of " << r.n << " bytes at " << r.offset << " inside the hole at " << begin;
}

std::vector<uint64_t> AllHits(ByteSource& source, const char* hex, uint64_t from, bool overlapping)
{
    const PatternScanner scanner(*SearchPattern::FromHexText(hex, true));
    std::vector<uint64_t> hits;
    const ScanResult r = scanner.ForEachHit(source, from, overlapping, nullptr, [&](uint64_t a, const uint8_t* bytes) {
        EXPECT_TRUE(scanner.MatchesAt(bytes)) << a;
        hits.push_back(a);
        return true;
    });
    EXPECT_EQ(r.status, ScanResult::Found);
    return hits;
}

QStringList SumLines(ByteSource& source, SumMethod method, uint64_t start, uint64_t end)
{
    SumRequest request{start, end, 0x1234};
    return RunSum(source, request, method).lines;
}

std::vector<std::pair<uint64_t, uint64_t>> Runs(ByteSource& a, ByteSource& b)
{
    std::vector<std::pair<uint64_t, uint64_t>> runs;
    EXPECT_FALSE(ForEachDiffRun(a, b, nullptr, [&](uint64_t first, uint64_t last) {
                     runs.emplace_back(first, last);
                     return true;
                 }).failed);
    return runs;
}

constexpr SumMethod kMethods[] = {SumMethod::Add, SumMethod::Subtract, SumMethod::Xor, SumMethod::Crc32,
                                  SumMethod::Md5, SumMethod::Sha256};

} // namespace

TEST(AlignedReadsTest, EveryEngineReadsPageToPageWithTheSameResults)
{
    // An odd size, a pattern planted across every block boundary and at the very end.
    std::vector<uint8_t> bytes = RandomBytes(3 * kMiB + 777, 11, 4);
    const uint8_t word[7] = {'Q', 'U', 'O', 'R', 'V', 'A', 'N'};
    for (uint64_t at : {kMiB - 3, 2 * kMiB - 6, 2 * kMiB + 5000, 3 * kMiB + 770})
        std::memcpy(bytes.data() + at, word, 7);
    RecordingSource file(bytes);
    MemoryByteSource memory(bytes.data(), bytes.size());
    const char* hex = "51554F5256414E";

    // Listing from an address inside a page, overlapping and not.
    for (bool overlapping : {true, false}) {
        EXPECT_EQ(AllHits(file, hex, 12345, overlapping), AllHits(memory, hex, 12345, overlapping));
        ExpectCongruent(file, "listing");
        EXPECT_EQ(AllHits(file, "41", 3, overlapping), AllHits(memory, "41", 3, overlapping));
        ExpectCongruent(file, "listing of one byte");
    }
    // One buffer for many sources, as the folder search reads its files.
    {
        AlignedBuffer shared;
        const PatternScanner scanner(*SearchPattern::FromHexText(hex, true));
        for (size_t size : {size_t(100), size_t(5000), bytes.size()}) {
            RecordingSource part(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size)));
            uint64_t hits = 0;
            scanner.ForEachHit(part, 0, false, nullptr, [&](uint64_t, const uint8_t*) { return ++hits, true; }, &shared);
            EXPECT_EQ(hits, AllHits(memory, hex, 0, false).size() * (size == bytes.size()));
            ExpectCongruent(part, "folder search");
        }
    }

    // Single steps forward and backward, from small first blocks.
    const PatternScanner scanner(*SearchPattern::FromHexText(hex, true));
    for (uint64_t from : {uint64_t(1), kMiB - 2, 2 * kMiB + 4999}) {
        const ScanResult f = scanner.FindForward(file, from, bytes.size(), 100);
        EXPECT_EQ(f.address, scanner.FindForward(memory, from, bytes.size(), 100).address) << from;
        const ScanResult b = scanner.FindBackward(file, from + 10, bytes.size(), 100);
        EXPECT_EQ(b.address, scanner.FindBackward(memory, from + 10, bytes.size(), 100).address) << from;
    }
    ExpectCongruent(file, "search steps");

    // The hit list and the re-list.
    std::atomic<bool> stop{false};
    std::vector<uint64_t> listed;
    QStringList lines;
    ListHits(file, *SearchPattern::FromHexText(hex, true), false, stop, [&](HitBatch&& b) {
        listed.insert(listed.end(), b.hits.begin(), b.hits.end());
    });
    ExpectCongruent(file, "hit list");
    EXPECT_EQ(listed, AllHits(memory, hex, 0, false));
    RelistHits(file, listed, 7, false, stop, [&](HitBatch&& b) { lines += b.lines; });
    EXPECT_EQ(lines.size(), qsizetype(listed.size()));
    ExpectCongruent(file, "re-list");

    // Same search over a range that starts inside a page.
    SameSearchRequest same{3, 5000, 5000 + 70000, 50};
    const auto fileGroups = RunSameSearch(file, same, stop).groups;
    const auto memoryGroups = RunSameSearch(memory, same, stop).groups;
    ASSERT_EQ(fileGroups.size(), memoryGroups.size());
    for (size_t i = 0; i < fileGroups.size(); ++i)
        EXPECT_EQ(fileGroups[i].addresses, memoryGroups[i].addresses);
    ExpectCongruent(file, "same search");

    // Sums and digests from starts on and off a word boundary, to an end inside a block.
    for (SumMethod method : kMethods)
        for (uint64_t start : {uint64_t(0), uint64_t(1), uint64_t(4098), kMiB + 3})
            EXPECT_EQ(SumLines(file, method, start, 3 * kMiB - 2), SumLines(memory, method, start, 3 * kMiB - 2))
                << SumMethodName(method).toStdString() << " from " << start;
    ExpectCongruent(file, "SUM");

    // Compare, its steps and the runs.
    std::vector<uint8_t> other = bytes;
    for (uint64_t at : {uint64_t(0), kMiB - 1, kMiB, 2 * kMiB + 100, other.size() - 1})
        other[at] ^= 0x20;
    RecordingSource partner(other);
    MemoryByteSource partnerMemory(other.data(), other.size());
    EXPECT_EQ(Runs(file, partner), Runs(memory, partnerMemory));
    uint64_t cursor = 2 * kMiB + 500;
    DiffMark mark;
    ASSERT_TRUE(DiffPrev(file, partner, cursor, mark).found);
    EXPECT_EQ(mark.start, 2 * kMiB + 100);
    ExpectCongruent(file, "compare");
    ExpectCongruent(partner, "compare");

    // Range output from inside a page.
    QTemporaryDir dir;
    RangeOutputRequest request{4097, 2 * kMiB + 11, dir.filePath(QStringLiteral("out.bin"))};
    QString error;
    ASSERT_TRUE(WriteRangeToFile(file, request, {}, &error)) << error.toStdString();
    EXPECT_EQ(ReadFile(request.destination), std::vector<uint8_t>(bytes.begin() + 4097, bytes.begin() + 2 * kMiB + 12));
    ExpectCongruent(file, "range output");
}

TEST(AlignedReadsTest, HolesAreNotReadAndCountAsZeros)
{
    // Data islands between holes; bytes next to the holes are nonzero so that a pattern can
    // straddle each edge.
    std::vector<uint8_t> bytes = RandomBytes(6 * kMiB + 300, 21, 3);
    const std::vector<std::pair<uint64_t, uint64_t>> holes{
        {64 * kPage, 64 * kPage + 3 * kMiB / 2}, {5 * kMiB / 2, 4 * kMiB + 8 * kPage}, {9 * kMiB / 2, 6 * kMiB}};
    RecordingSource file(bytes, holes);
    const std::vector<uint8_t>& same = file.Bytes();
    MemoryByteSource memory(same.data(), same.size());

    // A pattern that needs data on one side and zeros on the other; patterns made of zeros match
    // everywhere inside the holes (every candidate, or one after the other).
    for (const char* hex : {"42430000", "00004142", "00", "000000", "00?0"}) {
        for (bool overlapping : {true, false}) {
            for (uint64_t from : {uint64_t(0), uint64_t(70 * kPage + 1)}) {
                const auto hits = AllHits(file, hex, from, overlapping);
                EXPECT_EQ(hits, AllHits(memory, hex, from, overlapping)) << hex << " from " << from;
            }
        }
        ExpectHolesUnread(file, holes, hex);
    }

    for (SumMethod method : kMethods)
        for (uint64_t start : {uint64_t(0), uint64_t(2), uint64_t(64 * kPage + 5)})
            for (uint64_t end : {same.size() - 1, uint64_t(5 * kMiB + 3)}) {
                EXPECT_EQ(SumLines(file, method, start, end), SumLines(memory, method, start, end))
                    << SumMethodName(method).toStdString() << " " << start << "-" << end;
                ExpectHolesUnread(file, holes, "SUM");
            }

    // Compare against a file with other holes: runs where only one side is a hole are found,
    // runs inside both holes are not.
    const std::vector<std::pair<uint64_t, uint64_t>> otherHoles{{64 * kPage, 64 * kPage + 2 * kMiB},
                                                                {3 * kMiB, 6 * kMiB}};
    RecordingSource partner(RandomBytes(same.size(), 22, 3), otherHoles);
    MemoryByteSource partnerMemory(partner.Bytes().data(), partner.Bytes().size());
    EXPECT_EQ(Runs(file, partner), Runs(memory, partnerMemory));
    file.TakeReads();
    partner.TakeReads();
    // Walking over the hole both share reads nothing of it: the next run is behind it.
    uint64_t cursor = 9 * kMiB / 2 + 10;
    DiffMark mark;
    ASSERT_TRUE(DiffNext(file, partner, cursor, mark).found);
    EXPECT_EQ(mark.start, 6 * kMiB);
    const std::vector<std::pair<uint64_t, uint64_t>> shared{{9 * kMiB / 2, 6 * kMiB}};
    ExpectHolesUnread(file, shared, "compare");
    ExpectHolesUnread(partner, shared, "compare");
}

namespace {

// Writes a sparse file of `size` bytes holding `islands` (address, bytes); returns its bytes.
std::vector<uint8_t> WriteSparse(const QString& path, uint64_t size,
                                 const std::vector<std::pair<uint64_t, std::vector<uint8_t>>>& islands)
{
    std::vector<uint8_t> bytes(size, 0);
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    for (const auto& [at, island] : islands) {
        std::memcpy(bytes.data() + at, island.data(), island.size());
        EXPECT_EQ(::pwrite(fd, island.data(), island.size(), static_cast<off_t>(at)), ssize_t(island.size()));
    }
    ::close(fd);
    return bytes;
}

} // namespace

TEST(AlignedReadsTest, SparseFileOnDisk)
{
    // A real sparse file: whether or not the file system reports its holes, the results are those
    // of its bytes.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse.bin"));
    const uint64_t size = 40 * kMiB + 5;
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> islands;
    for (uint64_t at : {uint64_t(0), 9 * kMiB + 100, 30 * kMiB, size - 3000})
        islands.emplace_back(at, RandomBytes(3000, static_cast<uint32_t>(at), 3));
    const std::vector<uint8_t> bytes = WriteSparse(path, size, islands);
    FileByteSource file(path);
    ASSERT_TRUE(file.IsOpen());
    MemoryByteSource memory(bytes.data(), bytes.size());
    EXPECT_EQ(AllHits(file, "4142", 0, true), AllHits(memory, "4142", 0, true));
    EXPECT_EQ(AllHits(file, "0041", 1, false), AllHits(memory, "0041", 1, false));
    EXPECT_EQ(AllHits(file, "00000000", 0, false).size(), AllHits(memory, "00000000", 0, false).size());
    for (SumMethod method : {SumMethod::Crc32, SumMethod::Sha256, SumMethod::Add})
        EXPECT_EQ(SumLines(file, method, 1, size - 1), SumLines(memory, method, 1, size - 1));

    // Against itself and against a copy with one more byte inside a hole.
    islands.emplace_back(20 * kMiB, std::vector<uint8_t>{7});
    const QString otherPath = dir.filePath(QStringLiteral("other.bin"));
    WriteSparse(otherPath, size, islands);
    FileByteSource again(path), other(otherPath);
    EXPECT_TRUE(Runs(file, again).empty());
    EXPECT_EQ(Runs(file, other), (std::vector<std::pair<uint64_t, uint64_t>>{{20 * kMiB, 20 * kMiB}}));
}
