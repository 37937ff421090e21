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
#include <cstdio>

namespace {

// Appends `total` lines in blocks of `block`, one block per event-loop turn, as the listing
// workers hand them over; a 1 ms timer measures how long the loop is kept from running.
void FillList(int total, int block)
{
    COutputWnd pane;
    pane.resize(800, 300);
    pane.show();
    pane.ActivateTab(COutputWnd::ListSearch);
    QApplication::processEvents();

    QStringList lines;
    lines.reserve(block);
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
    });
    int added = 0;
    QTimer feeder;
    feeder.setInterval(0);
    QEventLoop loop;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        lines.clear();
        for (int i = 0; i < block && added < total; ++i, ++added)
            lines << QStringLiteral("%1").arg(static_cast<qulonglong>(added) * 16, 8, 16, QLatin1Char('0')).toUpper();
        pane.AddLines(COutputWnd::ListSearch, lines);
        if (added >= total) {
            feeder.stop();
            pane.AddLines(COutputWnd::ListSearch, {QString(), QStringLiteral("検索結果　%1件").arg(total)});
            pane.FitListWidth(COutputWnd::ListSearch);
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
    });
    clock.start();
    ticker.start();
    feeder.start();
    loop.exec();
    // Let the list lay itself out, then drag to the end.
    QApplication::processEvents();
    const qint64 filled = clock.nsecsElapsed();
    COutputList* list = pane.List(COutputWnd::ListSearch);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    QApplication::processEvents();
    list->viewport()->repaint();
    const qint64 scrolled = clock.nsecsElapsed();
    ticker.stop();
    std::printf("result list: %d lines in blocks of %d: %.0f ms total, longest event-loop stall %.1f ms, "
                "scroll to end and paint %.1f ms, lines held %d\n",
                total, block, filled / 1e6, longestStall / 1e6, (scrolled - filled) / 1e6, pane.LineCount(COutputWnd::ListSearch));
}

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
    FillList(1000000, 5000);
    FillList(1000000, 50000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
