// Benchmarks of the hex view: one full 1920 x 1080 screen painted in each code, and a scroll step
// of a 5 GB sparse file in direct edit mode (re-reading the rows on screen, then painting).
#include "BenchApp.h"
#include "base/Prompter.h"
#include "codes/CodePage.h"
#include "codes/TextEncoder.h"
#include "document/QuorvaneDoc.h"
#include "view/MyScrollBar.h"
#include "view/QuorvaneView.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

// One application object for the whole run, with private settings and a fixed font.
struct Environment : BenchApp
{
    Environment() : BenchApp("ViewBench")
    {
        store->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans Mono"));
    }
};

Environment* g_env = nullptr;

Environment& Env()
{
    return *g_env;
}

// Japanese text with some ASCII, in the bytes of `code`.
QByteArray SampleBytes(CharCode code, int size)
{
    const QString line = QStringLiteral("バイナリエディタ Quorvane: 日本語のテキスト、ｶﾀｶﾅ、ASCII 0123456789.\n");
    QByteArray unit = code == CharCode::Jis ? NarrowToCodePage(kCodePageJis, line) : EncodeText(line, code);
    if (unit.isEmpty())
        unit = line.toUtf8();
    QByteArray out;
    while (out.size() < size)
        out += unit;
    out.truncate(size);
    return out;
}

void BM_PaintFullScreen(benchmark::State& state)
{
    Environment& env = Env();
    const CharCode code = static_cast<CharCode>(state.range(0));
    const QString path = env.dir.path() + QStringLiteral("/sample%1.bin").arg(state.range(0));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(SampleBytes(code, 256 * 1024));
    }
    CQuorvaneDoc doc;
    doc.OnOpenDocument(path);
    CQuorvaneView view(&doc);
    view.resize(1920, 1080);
    view.show();
    QApplication::processEvents();
    view.OnInitialUpdate();
    view.OnCommand(kCharCodeMenuBase + static_cast<int>(code));
    uint64_t at = 0x123;
    view.MoveCursor(at, at, false);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        view.PaintView(p, image.size());
    }
    const int rows = view.Layout().RowsPainted(image.height());
    state.counters["rows"] = rows;
    state.counters["bytes/s"] = benchmark::Counter(double(rows) * 16, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(CharCodeName(code).toStdString());
}
BENCHMARK(BM_PaintFullScreen)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// A 5 GB sparse file in direct edit mode, scrolled one wheel notch per step. `paint`: also paint.
void ScrollStep(benchmark::State& state, bool paint)
{
    Environment& env = Env();
    const QString path = env.dir.path() + QStringLiteral("/huge.bin");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.resize(5LL << 30);
    }
    CQuorvaneDoc doc;
    doc.OnOpenDocument(path);
    CQuorvaneView view(&doc);
    view.resize(1920, 1080);
    view.show();
    QApplication::processEvents();
    view.OnInitialUpdate();
    view.ScrollToRow(view.RowCount() / 2);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    bool down = true;
    uint64_t steps = 0;
    for (auto _ : state) {
        view.ScrollBar()->Wheel(down ? -120 : 120);
        if (++steps % 1000 == 0)
            down = !down;
        if (paint) {
            QPainter p(&image);
            view.PaintView(p, image.size());
        }
    }
    state.counters["direct"] = doc.IsDirectEdit();
    state.counters["rows"] = view.Layout().RowsPainted(image.height());
    QFile::remove(path);
}

void BM_ScrollStepDirectEdit(benchmark::State& state) { ScrollStep(state, false); }
void BM_ScrollStepDirectEditAndPaint(benchmark::State& state) { ScrollStep(state, true); }
BENCHMARK(BM_ScrollStepDirectEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollStepDirectEditAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWith(argc, argv, g_env);
}
