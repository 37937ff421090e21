// Benchmarks of comparing two documents: 次へ across a 5 GB pair edited on disk with one
// difference near the end (with `cmp` on the same pair as the reference), and one full screen
// painted without a partner, with a partner in memory and with a partner read from its file.
#include "BenchApp.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <sys/wait.h>
#include <memory>

namespace {

constexpr qint64 kHugeSize = 5LL << 30;
constexpr qint64 kHugeDifference = kHugeSize - 4096 - 7;

// One application object for the whole run, with private settings and a fixed font.
struct Environment : BenchApp
{
    Environment() : BenchApp("CompareBench")
    {
        store->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans Mono"));
    }
};

Environment* g_env = nullptr;

// Two sparse 5 GB files that differ in one byte near the end, made once and kept until the
// environment's folder goes (every repetition of every benchmark reads the same pair).
void MakeHugePair(const QString& a, const QString& b)
{
    if (QFile::exists(a) && QFile::exists(b))
        return;
    for (const QString& path : {a, b}) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.resize(kHugeSize);
    }
    QFile f(b);
    f.open(QIODevice::ReadWrite);
    f.seek(kHugeDifference);
    f.write("\x01", 1);
}

// The pair read once beforehand, so that every run reads from the page cache.
void Warm(const QString& a, const QString& b)
{
    const std::string cmd = "cat '" + a.toStdString() + "' '" + b.toStdString() + "' > /dev/null";
    if (std::system(cmd.c_str()) != 0)
        std::abort();
}

void BM_DiffNextDirectEdit5G(benchmark::State& state)
{
    const QString a = g_env->Path(QStringLiteral("huge-a.bin"));
    const QString b = g_env->Path(QStringLiteral("huge-b.bin"));
    MakeHugePair(a, b);
    Warm(a, b);
    CQuorvaneDoc left;
    CQuorvaneDoc right;
    left.OnOpenDocument(a);
    right.OnOpenDocument(b);
    left.SetDiffPartner(&right);
    right.SetDiffPartner(&left);
    CQuorvaneView view(&left);
    view.resize(1200, 800);
    view.OnInitialUpdate();
    for (auto _ : state) {
        uint64_t at = 0;
        view.MoveCursor(at, at, false);
        view.SetDiffMark(0, 0);
        if (!view.DiffNext() || view.Cursor() != uint64_t(kHugeDifference))
            state.SkipWithError("次へ did not reach the difference");
    }
    state.counters["direct"] = left.IsDirectEdit() && right.IsDirectEdit();
    state.SetBytesProcessed(int64_t(state.iterations()) * kHugeDifference * 2);
    left.SetDiffPartner(nullptr);
    right.SetDiffPartner(nullptr);
}
BENCHMARK(BM_DiffNextDirectEdit5G)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference: cmp finding the first difference of the same pair, in the same run.
void BM_Tool_Cmp5G(benchmark::State& state)
{
    const QString a = g_env->Path(QStringLiteral("huge-a.bin"));
    const QString b = g_env->Path(QStringLiteral("huge-b.bin"));
    MakeHugePair(a, b);
    const std::string cmd = "cmp '" + a.toStdString() + "' '" + b.toStdString() + "' > /dev/null";
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const int rc = std::system(cmd.c_str());
        const double seconds = t.nsecsElapsed() / 1e9;
        // cmp says "different" with status 1; anything else (a missing file: 2) is no reference.
        if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) != 1) {
            state.SkipWithError("cmp failed: the pair is missing or unreadable");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kHugeDifference * 2);
}
BENCHMARK(BM_Tool_Cmp5G)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// One 1920 x 1080 screen of a 256 KB document whose partner differs in every seventh byte.
// 0: no partner; 1: the partner in memory; 2: the partner edited on disk, read from its file.
void BM_PaintComparedScreen(benchmark::State& state)
{
    QByteArray own(256 * 1024, '\0');
    for (int i = 0; i < own.size(); ++i)
        own[i] = char(i * 31 + 7);
    QByteArray other = own;
    for (int i = 0; i < other.size(); i += 7)
        other[i] = char(other[i] ^ 0x5A);
    const QString ownPath = g_env->Path(QStringLiteral("own.bin"));
    const QString otherPath = g_env->Path(QStringLiteral("other.bin"));
    for (const auto& [path, bytes] : {std::pair{ownPath, own}, std::pair{otherPath, other}}) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    CQuorvaneDoc doc;
    doc.OnOpenDocument(ownPath);
    CQuorvaneDoc partner;
    partner.OnOpenDocument(otherPath, state.range(0) == 2);
    if (state.range(0) > 0) {
        doc.SetDiffPartner(&partner);
        partner.SetDiffPartner(&doc);
    }
    CQuorvaneView view(&doc);
    view.resize(1920, 1080);
    view.show();
    QApplication::processEvents();
    view.OnInitialUpdate();
    view.ScrollToRow(1000);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        view.PaintView(p, image.size());
    }
    state.counters["rows"] = view.Layout().RowsPainted(image.height());
    state.counters["partnerDirect"] = partner.IsDirectEdit();
    state.SetLabel(state.range(0) == 0 ? "no partner" : state.range(0) == 1 ? "partner in memory" : "partner on disk");
    doc.SetDiffPartner(nullptr);
    partner.SetDiffPartner(nullptr);
}
BENCHMARK(BM_PaintComparedScreen)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWith(argc, argv, g_env);
}
