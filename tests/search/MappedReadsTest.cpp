// Tests of mapped file reads: a file cut shorter while mapped makes the engines fail, never crash.
#include "document/MappedByteSource.h"
#include "search/BlockReader.h"
#include "search/DiffRuns.h"
#include "search/SearchEngine.h"
#include "search/SumCalculator.h"

#include "SearchTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace testsupport;

namespace {

constexpr size_t kMiB = size_t(1) << 20;

// A file of 8 MiB with "CAFEBABE" only at 7 MiB, mapped, then cut to 1 MiB by "another program".
struct CutFile
{
    QTemporaryDir dir;
    QString path = dir.filePath("cut.bin");
    std::vector<uint8_t> bytes = RandomBytes(8 * kMiB, 21, 16); // 'A'..'P': no 0xCA byte
    CutFile()
    {
        const uint8_t pat[] = {0xCA, 0xFE, 0xBA, 0xBE};
        std::copy(pat, pat + 4, bytes.begin() + 7 * kMiB);
        EXPECT_TRUE(WriteFile(path, bytes));
    }
    std::unique_ptr<MappedByteSource> OpenThenCut()
    {
        EXPECT_TRUE(WriteFile(path, bytes));
        auto source = std::make_unique<MappedByteSource>(path);
        EXPECT_TRUE(source->IsMapped());
        EXPECT_EQ(::truncate(QFile::encodeName(path).constData(), static_cast<off_t>(kMiB)), 0);
        return source;
    }
};

} // namespace

TEST(MappedReadsTest, EnginesReportAFileCutShorterWhileMapped)
{
    CutFile f;
    const SearchPattern pattern = *SearchPattern::FromHexText("CAFEBABE", true);
    const PatternScanner scanner(pattern);
    {
        auto s = f.OpenThenCut();
        const ScanResult r = scanner.FindForward(*s, 0, kNoAddress);
        EXPECT_EQ(r.status, ScanResult::Failed);
        EXPECT_FALSE(r.errorText.isEmpty());
        // Once cut, reads through the source fail too.
        uint8_t b[16];
        EXPECT_EQ(s->Read(2 * kMiB, b, sizeof b), -1);
    }
    {
        auto s = f.OpenThenCut();
        EXPECT_EQ(scanner.FindBackward(*s, kNoAddress, kNoAddress).status, ScanResult::Failed);
    }
    {
        auto s = f.OpenThenCut();
        std::atomic<bool> stop{false};
        const HitListResult r = ListHits(*s, pattern, false, stop, [](HitBatch&&) {});
        EXPECT_EQ(r.status, ScanResult::Failed);
    }
    for (SumMethod m : {SumMethod::Sha256, SumMethod::Crc32, SumMethod::Add}) {
        auto s = f.OpenThenCut();
        SumRequest request;
        request.end = kNoAddress;
        const SumResult r = RunSum(*s, request, m);
        EXPECT_FALSE(r.errorText.isEmpty()) << SumMethodName(m).toStdString();
    }
    {
        // Compared with the intact bytes, the zeros that replaced the cut part would look like
        // differences: the compare fails instead of listing them.
        auto s = f.OpenThenCut();
        MemoryByteSource original(f.bytes.data(), f.bytes.size());
        const DiffStepResult r = ForEachDiffRun(*s, original, nullptr, [](uint64_t, uint64_t) { return true; });
        EXPECT_TRUE(r.failed);
    }
    // Read in blocks instead of mapped, the shorter file is searched as far as it goes.
    FileByteSource read(f.path);
    EXPECT_EQ(scanner.FindForward(read, 0, kNoAddress).status, ScanResult::NotFound);
}

TEST(MappedReadsTest, BusErrorsOutsideTheGuardedMappingsStillEndTheProgram)
{
    CutFile f;
    MappedByteSource mapped(f.path); // installs the handler
    ASSERT_TRUE(mapped.IsMapped());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(std::raise(SIGBUS), "");
    // A mapping the program made by other means, cut shorter: its fault is not swallowed.
    EXPECT_DEATH(
        {
            const int fd = ::open(QFile::encodeName(f.path).constData(), O_RDONLY);
            auto* p = static_cast<volatile const uint8_t*>(::mmap(nullptr, 8 * kMiB, PROT_READ, MAP_SHARED, fd, 0));
            if (::ftruncate(::open(QFile::encodeName(f.path).constData(), O_WRONLY), 4096) == 0)
                std::printf("%d", p[4 * kMiB]);
        },
        "");
}

// Read in blocks, a file that another program cuts shorter during the run fails the same way:
// its missing part is not taken for the end of the file (a partial hit list, the digest of a
// prefix, a dump whose last row is not the file's).
TEST(MappedReadsTest, BlockReadsOfAFileCutShorterDuringTheRunFail)
{
    CutFile f;
    const auto cut = [&] { return ::truncate(QFile::encodeName(f.path).constData(), static_cast<off_t>(kMiB)) == 0; };
    {
        // Every 'A' is a hit: the first batch arrives long before the end, and the file is cut then.
        ASSERT_TRUE(WriteFile(f.path, f.bytes));
        FileByteSource source(f.path);
        std::atomic<bool> stop{false};
        bool wasCut = false;
        const HitListResult r = ListHits(source, *SearchPattern::FromHexText("41", true), false, stop,
                                         [&](HitBatch&&) { wasCut = wasCut || cut(); }, 64);
        ASSERT_TRUE(wasCut);
        EXPECT_EQ(r.status, ScanResult::Failed);
        EXPECT_EQ(r.errorText, ShortReadText());
    }
    {
        ASSERT_TRUE(WriteFile(f.path, f.bytes));
        FileByteSource source(f.path);
        ASSERT_TRUE(cut());
        SumRequest request;
        request.end = kNoAddress;
        EXPECT_EQ(RunSum(source, request, SumMethod::Crc32).errorText, ShortReadText());
    }
    {
        ASSERT_TRUE(WriteFile(f.path, f.bytes));
        FileByteSource source(f.path);
        ASSERT_TRUE(cut());
        BlockReader reader(source);
        size_t available = 0;
        EXPECT_NE(reader.Get(0, 16, &available), nullptr); // the part that is still there
        EXPECT_EQ(reader.Get(7 * kMiB, 16, &available), nullptr);
        EXPECT_TRUE(reader.Failed());
        EXPECT_EQ(reader.ErrorText(), ShortReadText());
    }
    {
        ASSERT_TRUE(WriteFile(f.path, f.bytes));
        FileByteSource source(f.path);
        ASSERT_TRUE(cut());
        MemoryByteSource original(f.bytes.data(), f.bytes.size());
        EXPECT_TRUE(ForEachDiffRun(source, original, nullptr, [](uint64_t, uint64_t) { return true; }).failed);
    }
}
