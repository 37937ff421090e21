// Opening a 1 GiB file (first megabyte, then the whole file), a direct-edit insertion at 0, and
// saving a 1 GiB document with its ".bak" next to copying the file twice with cp.
#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
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

// What a save must write leaves the page cache before each round, so that every round pays for
// its own bytes reaching the disk and none for the round before.
void SyncEverything()
{
    (void)!std::system("sync");
}

// A loaded 1 GiB document, one byte changed, saved over itself with the ".bak" backup (on by
// default): the new file written and synced, the backup made, the new file renamed over the old.
// The rename that puts the new backup in place frees the older one, inside the time taken.
void BM_Save1GiBWithBackup(benchmark::State& state)
{
    Settings settings;
    const QString path = MakeFile(QStringLiteral("save1g.bin"), 1ull << 30);
    settings.store->SetGroupSetting(SettingId::Backup, 1, settings.store->FindSettingsGroup(path));
    CQuorvaneDoc doc;
    doc.OnOpenDocument(path);
    doc.WaitForLoader();
    for (auto _ : state) {
        const uint8_t old = doc.ByteAt(12345);
        const uint8_t value = static_cast<uint8_t>(old + 1);
        doc.Record(false, 12345, &old, 1, 0);
        doc.OverwriteBytes(12345, &value, 1);
        SyncEverything();
        const auto t0 = std::chrono::steady_clock::now();
        const bool saved = doc.DoSave(path);
        const auto t1 = std::chrono::steady_clock::now();
        if (!saved || !QFile::exists(path + QStringLiteral(".bak")))
            state.SkipWithError("save failed");
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".bak"));
}
BENCHMARK(BM_Save1GiBWithBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The reference for the save: the same file copied to its backup and to a new file, then synced.
void BM_Tool_CpCpSync(benchmark::State& state)
{
    const QString path = MakeFile(QStringLiteral("cp1g.bin"), 1ull << 30);
    const QByteArray f = path.toLocal8Bit();
    const QByteArray command = "cp '" + f + "' '" + f + ".bak' && cp '" + f + "' '" + f + ".out' && sync";
    for (auto _ : state) {
        SyncEverything();
        const auto t0 = std::chrono::steady_clock::now();
        const int status = std::system(command.constData());
        const auto t1 = std::chrono::steady_clock::now();
        if (status != 0)
            state.SkipWithError("cp failed");
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".bak"));
    QFile::remove(path + QStringLiteral(".out"));
}
BENCHMARK(BM_Tool_CpCpSync)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    QFile::remove(QDir::tempPath() + QStringLiteral("/quorvane-bench-2g5.bin"));
    return 0;
}
