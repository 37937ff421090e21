// Folder search of 2,000 files / 512 MB: through the main frame (worker, progress window, lines in
// the フォルダ内検索 tab) and, in the same run, `quorvane-cli grep` over the same folder. The
// window's run also reports the longest time the event loop went without turning.
#include "BenchApp.h"
#include "app/MainFrame.h"
#include "panes/OutputWnd.h"
#include "search/GrepSetupRules.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kFiles = 2000;
constexpr int kFileSize = 256 * 1024;
const char kNeedle[] = "QVHIT";

struct Environment : BenchApp
{
    Environment() : BenchApp("FolderSearchBench") { MakeTree(); }

    QString Tree() const { return dir.path() + QStringLiteral("/tree"); }

    // Pseudo-random files with the needle at a few places each.
    void MakeTree()
    {
        QDir().mkpath(Tree());
        uint64_t x = 0x9E3779B97F4A7C15ull;
        QByteArray bytes(kFileSize, '\0');
        for (int i = 0; i < kFiles; ++i) {
            auto* words = reinterpret_cast<uint64_t*>(bytes.data());
            for (int w = 0; w < kFileSize / 8; ++w) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                words[w] = x;
            }
            for (int k = 0; k < 1 + i % 4; ++k)
                bytes.replace((i * 7919 + k * 65521) % (kFileSize - 8), 5, kNeedle);
            QFile f(Tree() + QStringLiteral("/f%1.bin").arg(i, 4, 10, QLatin1Char('0')));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        const std::string warm = "cat '" + Tree().toStdString() + "'/* > /dev/null";
        if (std::system(warm.c_str()) != 0)
            std::abort();
    }
};

Environment* g_env = nullptr;

void BM_FolderSearchWindow(benchmark::State& state)
{
    CMainFrame frame;
    frame.resize(1200, 800);
    frame.show();
    GrepSetupRules::Fields fields;
    fields.text = QString::fromLatin1(kNeedle);
    fields.codeName = QStringLiteral("Shift-JIS");
    fields.folder = g_env->Tree();
    fields.fileTypes = QStringLiteral("*.*");
    const FolderSearchRequest request = *GrepSetupRules::BuildRequest(fields);

    qint64 longestStall = 0;
    int lines = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTurn;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, sinceTurn.restart());
        });
        sinceTurn.start();
        ticker.start();
        frame.StartFolderSearch(request);
        while (frame.IsFolderSearchRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticker.stop();
        lines = frame.OutputPane()->LineCount(COutputWnd::ListGrep);
    }
    state.counters["lines"] = lines;
    state.counters["longestStallMs"] = double(longestStall);
    state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * kFileSize);
}
BENCHMARK(BM_FolderSearchWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_Tool_QuorvaneCliGrep(benchmark::State& state)
{
    const std::string out = g_env->dir.path().toStdString() + "/grep.txt";
    const std::string cmd = std::string(QUORVANE_CLI) + " grep '" + g_env->Tree().toStdString()
                            + "' --string " + kNeedle + " --code Shift-JIS > '" + out + "'";
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("quorvane-cli grep failed");
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
    QFile f(QString::fromStdString(out));
    f.open(QIODevice::ReadOnly);
    state.counters["lines"] = f.readAll().count('\n');
    state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * kFileSize);
}
BENCHMARK(BM_Tool_QuorvaneCliGrep)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWith(argc, argv, g_env);
}
