// Panes under load: 1,000,000 lines appended to a result list in blocks while the event loop runs
// (total time, longest stall of the loop, scrolling to the end), and the info pane's update per
// cursor move.
#include "panes/BinaryInfoWnd.h"
#include "view/InfoRows.h"
#include "panes/OutputList.h"
#include "panes/OutputWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

// Appends `total` lines in blocks of `block` as the listing workers hand them over: a worker
// thread formats each block and passes it to the window thread with a blocking queued call; a
// 1 ms timer measures how long the event loop is kept from running. A benchmark, so that
// --benchmark_repetitions repeats every figure.
void BM_FillResultList(benchmark::State& state)
{
    const int total = static_cast<int>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    for (auto _ : state) {
        COutputWnd pane;
        pane.resize(800, 300);
        pane.show();
        pane.ActivateTab(COutputWnd::ListSearch);
        QApplication::processEvents();

        QElapsedTimer clock;
        qint64 lastTick = 0;
        qint64 longestStall = 0;
        qint64 longestBlock = 0; // the longest hand-over of one block (the rest of a stall is layout)
        qint64 fit = 0;          // the hand-over of the last lines, with the list's final layout
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestStall = std::max(longestStall, now - lastTick);
            lastTick = now;
        });
        QEventLoop loop;
        clock.start();
        ticker.start();
        std::thread worker([&] {
            for (int added = 0; added < total;) {
                QStringList lines;
                lines.reserve(block);
                for (int i = 0; i < block && added < total; ++i, ++added)
                    lines << QStringLiteral("%1").arg(static_cast<qulonglong>(added) * 16, 8, 16, QLatin1Char('0')).toUpper();
                QMetaObject::invokeMethod(&pane, [&] {
                    const qint64 t0 = clock.nsecsElapsed();
                    pane.AddLines(COutputWnd::ListSearch, lines);
                    longestBlock = std::max(longestBlock, clock.nsecsElapsed() - t0);
                }, Qt::BlockingQueuedConnection);
            }
            QMetaObject::invokeMethod(&pane, [&] {
                const qint64 t0 = clock.nsecsElapsed();
                pane.AddLines(COutputWnd::ListSearch, {QString(), QStringLiteral("検索結果　%1件").arg(total)});
                pane.FitListWidth(COutputWnd::ListSearch);
                fit = clock.nsecsElapsed() - t0;
                loop.quit();
            }, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        // Let the list lay itself out, then drag to the end.
        QApplication::processEvents();
        const qint64 filled = clock.nsecsElapsed();
        COutputList* list = pane.List(COutputWnd::ListSearch);
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QApplication::processEvents();
        list->viewport()->repaint();
        const qint64 scrolled = clock.nsecsElapsed();
        ticker.stop();
        state.SetIterationTime(filled / 1e9);
        state.counters["stall_ms"] = longestStall / 1e6;
        state.counters["block_ms"] = longestBlock / 1e6;
        state.counters["fit_ms"] = fit / 1e6;
        state.counters["scroll_ms"] = (scrolled - filled) / 1e6;
        state.counters["lines"] = pane.LineCount(COutputWnd::ListSearch);
    }
}
BENCHMARK(BM_FillResultList)->Args({1000000, 5000})->Args({1000000, 50000})->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_InfoRows(benchmark::State& state)
{
    uint64_t cursor = 0;
    for (auto _ : state) {
        const std::array<uint8_t, 4> bytes{uint8_t(cursor), uint8_t(cursor >> 8), 0x12, 0x80};
        InfoRows rows = InfoRows::Compute(InfoRows::MakeInput(bytes, 4, false, 1 << 30, cursor, 17), true);
        benchmark::DoNotOptimize(rows);
        ++cursor;
    }
}
BENCHMARK(BM_InfoRows);

// The whole update the view makes per cursor move: rows computed, eight labels set.
void BM_UpdateInfo(benchmark::State& state)
{
    CBinaryInfoWnd pane;
    pane.SetTargetFinder([] { return nullptr; });
    pane.show();
    uint64_t cursor = 0;
    for (auto _ : state) {
        const std::array<uint8_t, 4> bytes{uint8_t(cursor), uint8_t(cursor >> 8), 0x12, 0x80};
        pane.UpdateInfo(InfoRows::MakeInput(bytes, 4, false, 1 << 30, cursor, 17));
        ++cursor;
    }
}
BENCHMARK(BM_UpdateInfo);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
