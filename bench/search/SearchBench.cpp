// Benchmarks of the search scanner, the hit listing and the digests, each beside the command-line
// tool that does the nearest job on the same generated file (grep, sha256sum, md5sum, openssl).
#include "BenchData.h"

#include "document/MappedByteSource.h"
#include "search/PatternScanner.h"
#include "search/SearchEngine.h"
#include "search/SumCalculator.h"

#include <atomic>

using benchdata::Folder;

namespace {

constexpr size_t k256M = size_t(256) << 20;
constexpr size_t k1G = size_t(1) << 30;
const uint8_t kWord[4] = {'Q', 'V', 'R', 'N'};

// 256 MiB of random bytes with the word planted 1,000 times.
const std::vector<uint8_t>& SearchData()
{
    static const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> d(k256M);
        benchdata::Fill(d.data(), d.size(), 1);
        for (size_t i = 0; i < 1000; ++i)
            std::memcpy(d.data() + (i * 268'123) % (d.size() - 4), kWord, 4);
        return d;
    }();
    return data;
}

const std::string& SearchFile()
{
    static const std::string path = Folder::Get().File("search256.bin", SearchData());
    return path;
}

const std::string& DigestFile()
{
    static const std::string path = [] {
        std::vector<uint8_t> d(k1G);
        benchdata::Fill(d.data(), d.size(), 2);
        return Folder::Get().File("digest1g.bin", d);
    }();
    return path;
}

uint64_t CountHits(ByteSource& src, const char* hex)
{
    const PatternScanner scanner(*SearchPattern::FromHexText(hex, true));
    uint64_t hits = 0;
    scanner.ForEachHit(src, 0, true, nullptr, [&](uint64_t, const uint8_t*) {
        ++hits;
        return true;
    });
    return hits;
}

void BM_SearchLiteral_Memory(benchmark::State& state)
{
    const auto& d = SearchData();
    MemoryByteSource src(d.data(), d.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(CountHits(src, "5156524E"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(d.size()));
}
BENCHMARK(BM_SearchLiteral_Memory)->Unit(benchmark::kMillisecond);

void BM_SearchLiteral_File(benchmark::State& state)
{
    FileByteSource src(QString::fromStdString(SearchFile()));
    for (auto _ : state)
        benchmark::DoNotOptimize(CountHits(src, "5156524E"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k256M));
}
BENCHMARK(BM_SearchLiteral_File)->Unit(benchmark::kMillisecond);

// The same file mapped: the scan reads the page cache directly instead of copies of it. Beside
// BM_SearchLiteral_File it shows which way of reading a walk from start to end should take.
void BM_SearchLiteral_FileMapped(benchmark::State& state)
{
    MappedByteSource src(QString::fromStdString(SearchFile()));
    for (auto _ : state)
        benchmark::DoNotOptimize(CountHits(src, "5156524E"));
    state.counters["mapped"] = src.IsMapped();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k256M));
}
BENCHMARK(BM_SearchLiteral_FileMapped)->Unit(benchmark::kMillisecond);

void BM_SearchWildcard_Memory(benchmark::State& state)
{
    const auto& d = SearchData();
    MemoryByteSource src(d.data(), d.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(CountHits(src, "515?524E"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(d.size()));
}
BENCHMARK(BM_SearchWildcard_Memory)->Unit(benchmark::kMillisecond);

void BM_Tool_GrepLiteral(benchmark::State& state)
{
    benchdata::TimeCommand(state, "LC_ALL=C grep -c -a -F QVRN " + SearchFile(), k256M, {0});
}
BENCHMARK(BM_Tool_GrepLiteral)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_Tool_GrepWildcard(benchmark::State& state)
{
    // The nearest grep form of 51 5? 52 4E: a byte class for the wildcard nibble.
    benchdata::TimeCommand(state, "LC_ALL=C grep -c -a -P '\\x51[\\x50-\\x5f]\\x52\\x4e' " + SearchFile(), k256M, {0});
}
BENCHMARK(BM_Tool_GrepWildcard)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// One million overlapping hits listed as lines, in batches.
void BM_ListMillionHits(benchmark::State& state)
{
    std::vector<uint8_t> d(16u << 20);
    benchdata::Fill(d.data(), d.size(), 3);
    for (size_t i = 0; i + 4 <= d.size(); i += 16)
        std::memcpy(d.data() + i, kWord, 4);
    MemoryByteSource src(d.data(), d.size());
    const SearchPattern p = *SearchPattern::FromHexText("5156524E", true);
    std::atomic<bool> stop{false};
    uint64_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        ListHits(src, p, false, stop, [&](HitBatch&& b) { lines += static_cast<uint64_t>(b.lines.size()); });
    }
    state.counters["hits"] = static_cast<double>(lines);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines));
}
BENCHMARK(BM_ListMillionHits)->Unit(benchmark::kMillisecond);

void Digest(benchmark::State& state, SumMethod method)
{
    FileByteSource src(QString::fromStdString(DigestFile()));
    for (auto _ : state) {
        SumRequest r{0, ~uint64_t(0), 0};
        benchmark::DoNotOptimize(RunSum(src, r, method));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k1G));
}
void BM_Sha256_1G(benchmark::State& state) { Digest(state, SumMethod::Sha256); }
void BM_Md5_1G(benchmark::State& state) { Digest(state, SumMethod::Md5); }
void BM_Crc32_1G(benchmark::State& state) { Digest(state, SumMethod::Crc32); }
void BM_Add_1G(benchmark::State& state) { Digest(state, SumMethod::Add); }
BENCHMARK(BM_Sha256_1G)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Md5_1G)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Crc32_1G)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Add_1G)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Tool_Sha256sum(benchmark::State& state) { benchdata::TimeCommand(state, "sha256sum " + DigestFile(), k1G); }
void BM_Tool_Md5sum(benchmark::State& state) { benchdata::TimeCommand(state, "md5sum " + DigestFile(), k1G); }
void BM_Tool_OpensslSha256(benchmark::State& state) { benchdata::TimeCommand(state, "openssl dgst -sha256 " + DigestFile(), k1G); }
void BM_Tool_OpensslMd5(benchmark::State& state) { benchdata::TimeCommand(state, "openssl dgst -md5 " + DigestFile(), k1G); }
void BM_Tool_PythonZlibCrc32(benchmark::State& state)
{
    benchdata::TimeCommand(state,
                           "python3 -c \"import zlib,sys\nc=0\nf=open(sys.argv[1],'rb')\n"
                           "for b in iter(lambda: f.read(1<<20), b''): c=zlib.crc32(b,c)\nprint(c)\" " + DigestFile(),
                           k1G);
}
BENCHMARK(BM_Tool_Sha256sum)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Tool_Md5sum)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Tool_OpensslSha256)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Tool_OpensslMd5)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Tool_PythonZlibCrc32)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

} // namespace
