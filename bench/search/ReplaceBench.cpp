// Benchmarks of 一括置換 over a whole document, in memory and in direct edit mode, beside perl
// replacing the same word in the same file.
#include "BenchData.h"

#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "search/ReplaceEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>

using benchdata::Folder;

namespace {

constexpr size_t k64M = size_t(64) << 20;
const uint8_t kWord[4] = {'Q', 'V', 'R', 'N'};

struct Settings
{
    std::unique_ptr<CSettingsStore> store = CSettingsStore::OpenFile(
        QString::fromStdString(Folder::Get().Path("settings/Pellamy/Quorvane.ini").string()));
    Settings() { CSettingsStore::Install(store.get()); }
};

// 64 MiB of random bytes with the word planted `hits` times, evenly spread.
std::string WordFile(size_t hits)
{
    std::vector<uint8_t> d(k64M);
    benchdata::Fill(d.data(), d.size(), 7);
    for (size_t i = 0; i < hits; ++i)
        std::memcpy(d.data() + (d.size() / hits) * i, kWord, 4);
    return Folder::Get().File("replace" + std::to_string(hits) + ".bin", d);
}

// Replaces every "QVRN" of a fresh copy of the file by the replacement bytes, timing only the loop.
void ReplaceAll(benchmark::State& state, size_t hits, const char* replacement, bool direct)
{
    Settings settings;
    const std::string source = WordFile(hits);
    const std::string work = Folder::Get().Path("replace-work.bin").string();
    const SearchPattern pattern = *SearchPattern::FromHexText("5156524E", true);
    const ReplaceRequest request = *ReplaceRequest::Build(QString::fromLatin1(replacement), false, ReplaceScope::Whole);
    uint64_t replaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        auto doc = std::make_unique<CQuorvaneDoc>();
        doc->OnOpenDocument(QString::fromStdString(work), direct);
        doc->WaitForLoader();
        doc->SetEditLock(0);
        SearchCursor cursor;
        ReplaceCallbacks callbacks;
        callbacks.decide = [](const SearchCursor&) { return ReplaceDecision::ReplaceAll; };
        state.ResumeTiming();
        replaced = RunReplace(*doc, pattern, request, cursor, callbacks).replaced;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    if (replaced != hits)
        state.SkipWithError("not every hit was replaced");
    state.counters["hits"] = static_cast<double>(replaced);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k64M));
}

// 0x636261 written little-endian: "abc", one byte shorter than the word.
void BM_ReplaceAll_Memory_10000Hits_Shorter(benchmark::State& s) { ReplaceAll(s, 10000, "0x636261", false); }
void BM_ReplaceAll_Memory_10000Hits_SameLength(benchmark::State& s) { ReplaceAll(s, 10000, "0x64636261", false); }
void BM_ReplaceAll_Direct_100Hits_Shorter(benchmark::State& s) { ReplaceAll(s, 100, "0x636261", true); }
void BM_ReplaceAll_Direct_100Hits_SameLength(benchmark::State& s) { ReplaceAll(s, 100, "0x64636261", true); }
BENCHMARK(BM_ReplaceAll_Memory_10000Hits_Shorter)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAll_Memory_10000Hits_SameLength)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAll_Direct_100Hits_Shorter)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReplaceAll_Direct_100Hits_SameLength)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Tool_PerlReplace_10000Hits(benchmark::State& state)
{
    benchdata::TimeCommand(state, "perl -0777 -pe 's/QVRN/abc/g' " + WordFile(10000), k64M);
}
void BM_Tool_PerlReplace_100Hits(benchmark::State& state)
{
    benchdata::TimeCommand(state, "perl -0777 -pe 's/QVRN/abc/g' " + WordFile(100), k64M);
}
BENCHMARK(BM_Tool_PerlReplace_10000Hits)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Tool_PerlReplace_100Hits)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
