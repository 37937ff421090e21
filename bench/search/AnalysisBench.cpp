// Benchmarks of same search, compare and folder search, beside cmp and grep -r on the same files.
#include "BenchData.h"

#include "search/DiffRuns.h"
#include "search/FolderSearch.h"
#include "search/SameSearch.h"

#include <atomic>

using benchdata::Folder;

namespace {

constexpr size_t k256M = size_t(256) << 20;

void BM_SameSearch(benchmark::State& state)
{
    const size_t range = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> d(range);
    benchdata::Fill(d.data(), d.size(), 4);
    // Repeated stretches, so that there are groups to find besides the chance ones.
    for (size_t i = 0; i + 64 <= d.size(); i += 4096)
        std::memcpy(d.data() + i, d.data(), 64);
    MemoryByteSource src(d.data(), d.size());
    std::atomic<bool> stop{false};
    size_t groups = 0;
    for (auto _ : state)
        groups = RunSameSearch(src, {4, 0, range, 50}, stop).groups.size();
    state.counters["groups"] = static_cast<double>(groups);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(range));
}
BENCHMARK(BM_SameSearch)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

std::pair<std::string, std::string> CompareFiles()
{
    static const auto files = [] {
        std::vector<uint8_t> a(k256M);
        benchdata::Fill(a.data(), a.size(), 5);
        const std::string pa = Folder::Get().File("cmp-a.bin", a);
        for (size_t i = 0; i < 1000; ++i)
            a[(i * 268'435'399ull / 1000) % a.size()] ^= 0x5A;
        return std::make_pair(pa, Folder::Get().File("cmp-b.bin", a));
    }();
    return files;
}

void BM_Compare256M(benchmark::State& state)
{
    const auto [pa, pb] = CompareFiles();
    FileByteSource a(QString::fromStdString(pa)), b(QString::fromStdString(pb));
    size_t runs = 0;
    for (auto _ : state) {
        runs = 0;
        ForEachDiffRun(a, b, nullptr, [&](uint64_t, uint64_t) {
            ++runs;
            return true;
        });
    }
    state.counters["runs"] = static_cast<double>(runs);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k256M));
}
BENCHMARK(BM_Compare256M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Tool_CmpL(benchmark::State& state)
{
    const auto [pa, pb] = CompareFiles();
    benchdata::TimeCommand(state, "cmp -l " + pa + " " + pb, k256M, {1});
}
BENCHMARK(BM_Tool_CmpL)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// 2,000 files of 256 KiB (512 MiB) in 20 folders, the word planted in every tenth file.
const std::string& Tree()
{
    static const std::string root = [] {
        std::vector<uint8_t> d(256u << 10);
        for (int i = 0; i < 2000; ++i) {
            benchdata::Fill(d.data(), d.size(), 100 + static_cast<uint64_t>(i));
            if (i % 10 == 0)
                std::memcpy(d.data() + 1000, "QVRN", 4);
            Folder::Get().File("tree/d" + std::to_string(i % 20) + "/f" + std::to_string(i) + ".dat", d);
        }
        return Folder::Get().Path("tree").string();
    }();
    return root;
}

void BM_FolderSearch512M(benchmark::State& state)
{
    FolderSearchRequest request;
    request.folder = QString::fromStdString(Tree());
    request.fileTypes = QStringLiteral("*.*");
    request.subfolders = true;
    request.pattern = *SearchPattern::FromHexText("5156524E", true);
    std::atomic<bool> stop{false};
    FolderSearchSink sink;
    uint64_t hits = 0;
    sink.lines = [](QStringList&&) {};
    for (auto _ : state)
        hits = RunFolderSearch(request, stop, sink).hits;
    state.counters["hits"] = static_cast<double>(hits);
    state.SetBytesProcessed(state.iterations() * int64_t(512) * 1024 * 1024);
}
BENCHMARK(BM_FolderSearch512M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Tool_GrepRecursive(benchmark::State& state)
{
    benchdata::TimeCommand(state, "LC_ALL=C grep -r -c -a -F QVRN " + Tree(), int64_t(512) * 1024 * 1024, {0, 1});
}
BENCHMARK(BM_Tool_GrepRecursive)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace
