// Opening a 1 GiB file (first megabyte, then the whole file) and a direct-edit insertion at 0.
#include "app/SettingsStore.h"
#include "document/QuorvaneDoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

// A file with real (non-sparse) contents so that reads touch data, kept in the page cache.
QString MakeFile(const QString& name, uint64_t size)
{
    const QString path = QDir::tempPath() + QStringLiteral("/quorvane-bench-") + name;
    QFile f(path);
    if (f.exists() && static_cast<uint64_t>(f.size()) == size)
        return path;
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 131);
    for (uint64_t done = 0; done < size; done += block.size())
        f.write(block.data(), static_cast<qint64>(std::min<uint64_t>(block.size(), size - done)));
    return path;
}

struct Settings
{
    std::unique_ptr<CSettingsStore> store =
        CSettingsStore::OpenFile(QDir::tempPath() + QStringLiteral("/quorvane-bench-settings/Pellamy/Quorvane.ini"));
    Settings() { CSettingsStore::Install(store.get()); }
};

void BM_OpenFirstMegabyte(benchmark::State& state)
{
    Settings settings;
    const QString path = MakeFile(QStringLiteral("1g.bin"), 1ull << 30);
    for (auto _ : state) {
        CQuorvaneDoc doc;
        const auto t0 = std::chrono::steady_clock::now();
        doc.OnOpenDocument(path);
        const auto t1 = std::chrono::steady_clock::now();
        doc.WaitForLoader();
        const auto t2 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        state.counters["whole_file_ms"] = std::chrono::duration<double, std::milli>(t2 - t0).count();
    }
}
BENCHMARK(BM_OpenFirstMegabyte)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DirectInsertAtZero(benchmark::State& state)
{
    Settings settings;
    const uint64_t size = 5ull << 29; // 2.5 GiB
    const QString path = MakeFile(QStringLiteral("2g5.bin"), size);
    CQuorvaneDoc doc;
    doc.OnOpenDocument(path, true);
    doc.SetWindowRows(0, 40);
    const uint8_t bytes[16] = {};
    for (auto _ : state) {
        doc.DiskWrite(0, bytes, 16, true, true);
        state.PauseTiming();
        doc.DiskRemove(0, 16); // back to the same file for the next round
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DirectInsertAtZero)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    QFile::remove(QDir::tempPath() + QStringLiteral("/quorvane-bench-2g5.bin"));
    return 0;
}
