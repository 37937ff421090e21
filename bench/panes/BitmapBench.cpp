// Painting the bitmap pane: 1,000 rows of 128 bytes (128 KB of a document) in one paint.
#include "BenchApp.h"
#include "app/MainFrame.h"
#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "panes/BitmapView.h"

#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

// A frame with one open 1 MB document of mixed bytes, on the offscreen platform.
struct Environment : BenchApp
{
    std::unique_ptr<CMainFrame> frame;
    CBitmapView* pane = nullptr;

    Environment() : BenchApp("BitmapBench")
    {
        QByteArray bytes(1 << 20, 0);
        std::mt19937 rng(17);
        for (char& c : bytes)
            c = char(rng() % 3 == 0 ? 0 : rng());
        const QString path = dir.path() + QStringLiteral("/data.bin");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        frame = std::make_unique<CMainFrame>();
        frame->OpenDocumentFile(path);
        frame->ActiveDocument()->WaitForLoader();
        pane = qobject_cast<CBitmapView*>(frame->Pane(ID_PANE_BITMAP)->widget());
    }
};

// Made and torn down in main(): an application object left to the program's static destruction
// crashed the benchmark at exit.
Environment* g_env = nullptr;

Environment& Env()
{
    return *g_env;
}

void PaintPane(benchmark::State& state)
{
    Environment& env = Env();
    const int zoom = static_cast<int>(state.range(0));
    // 1,000 rows of bytes on screen at either zoom.
    const QSize client(10 + 128 * zoom + 16, 10 + 1000 * zoom);
    env.pane->resize(client);
    if (zoom == 2 && env.pane->Zoom() == 1) {
        QWheelEvent e(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(env.pane, &e);
    }
    QImage target(client, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        env.pane->PaintPicture(p, client);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetBytesProcessed(state.iterations() * 128 * 1000);
}
BENCHMARK(PaintPane)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWith(argc, argv, g_env);
}
