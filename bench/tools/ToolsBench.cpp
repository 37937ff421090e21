// Range output of 1 GiB beside dd bs=1M, fixed-form input at 10,000 addresses of a 64 MB
// document, and the pages per second of printing a 1 MB file to PDF.
#include "BenchData.h"

#include "base/SettingsStore.h"
#include "document/ByteSource.h"
#include "document/QuorvaneDoc.h"
#include "tools/FixedInput.h"
#include "tools/PrintRenderer.h"
#include "tools/RangeOutput.h"
#include "view/ViewFont.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPdfWriter>
#include <memory>

using benchdata::Folder;

namespace {

constexpr size_t k1G = size_t(1) << 30;

struct Settings
{
    std::unique_ptr<CSettingsStore> store =
        CSettingsStore::OpenFile(QDir::tempPath() + QStringLiteral("/quorvane-bench-settings/Pellamy/Quorvane.ini"));
    Settings() { CSettingsStore::Install(store.get()); }
    ~Settings() { CSettingsStore::Install(nullptr); }
};

std::string DataFile(const std::string& name, size_t size, uint64_t seed)
{
    std::vector<uint8_t> d(size);
    benchdata::Fill(d.data(), d.size(), seed);
    return Folder::Get().File(name, d);
}

const std::string& OneGig()
{
    // 1 GiB plus a little, so the range starts and ends off block boundaries.
    static const std::string path = DataFile("range-src.bin", k1G + 4096, 7);
    return path;
}

// The whole copy, with the final flush, sync and rename of the destination.
void BM_RangeOutput1G(benchmark::State& state)
{
    const QString src = QString::fromStdString(OneGig());
    const QString dest = QString::fromStdString(Folder::Get().Path("range-out.bin").string());
    FileByteSource source(src);
    for (auto _ : state) {
        QString error;
        if (!WriteRangeToFile(source, {1000, 1000 + k1G - 1, dest}, {}, &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(k1G));
}
BENCHMARK(BM_RangeOutput1G)->Unit(benchmark::kMillisecond)->Iterations(3);

// dd of the same range: plain (no sync) and with the sync that our output always does.
void BM_Tool_Dd1M(benchmark::State& state)
{
    const std::string out = Folder::Get().Path("dd-out.bin").string();
    benchdata::TimeCommand(state, "dd if=" + OneGig() + " of=" + out + " bs=1M iflag=skip_bytes,count_bytes skip=1000 count=" +
                                      std::to_string(k1G) + " status=none", static_cast<int64_t>(k1G));
}
BENCHMARK(BM_Tool_Dd1M)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_Tool_Dd1MFsync(benchmark::State& state)
{
    const std::string out = Folder::Get().Path("dd-out.bin").string();
    benchdata::TimeCommand(state, "dd if=" + OneGig() + " of=" + out + " bs=1M iflag=skip_bytes,count_bytes skip=1000 count=" +
                                      std::to_string(k1G) + " conv=fsync status=none", static_cast<int64_t>(k1G));
}
BENCHMARK(BM_Tool_Dd1MFsync)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// 10,000 addresses spread over a 64 MB document in memory, overwrite and insert mode.
void BM_FixedInput10k(benchmark::State& state)
{
    Settings settings;
    const QString path = QString::fromStdString(DataFile("fixed-64m.bin", 64u << 20, 9));
    std::vector<uint64_t> addresses;
    for (uint64_t i = 0; i < 10000; ++i)
        addresses.push_back(i * 6700);
    const QByteArray data("SIGNATURE!", 10);
    const bool insert = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CQuorvaneDoc>();
        doc->OnOpenDocument(path);
        doc->WaitForLoader();
        doc->SetEditLock(0);
        state.ResumeTiming();
        ApplyFixedInput(*doc, addresses, data, insert);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["addresses"] = 10000;
}
BENCHMARK(BM_FixedInput10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// A 1 MB file printed to a PDF in memory with the view's default font; reports pages per second.
void BM_PrintPdf1M(benchmark::State& state)
{
    static int argc = 1;
    static char arg0[] = "ToolsBench";
    static char* argv[] = {arg0, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    Settings settings;
    const std::string path = DataFile("print-1m.bin", 1u << 20, 11);
    FileByteSource source(QString::fromStdString(path));
    PrintJob job;
    job.source = &source;
    job.fileSize = source.Size();
    job.range = {0, source.Size(), false};
    job.path = QString::fromStdString(path);
    bool requested = false;
    job.font = MakeViewFont(QStringLiteral("FixedSys"), 14, requested);
    int pages = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QString error;
        pages = PaintPrintJob(writer, job, &error);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintPdf1M)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
