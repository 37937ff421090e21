// Decoding one screen of the text column (64 rows of 16 bytes) in each of the nine codes.
#include "codes/CodePage.h"
#include "codes/DisplayDecoder.h"
#include "codes/TextEncoder.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <random>
#include <vector>

namespace {

constexpr size_t kRows = 64;
constexpr size_t kScreen = kRows * 16;

// Ordinary Japanese prose with some ASCII, katakana and numbers, repeated to fill a screen.
const char16_t kProse[] =
    u"吾輩はバイナリエディタである。名前はまだ無い。ファイルを開くと先頭の1MBを読み込み、"
    u"残りは別のスレッドで読む。検索（Search）は16進数、10進数、文字列のいずれでも指定できる。"
    u"ｶﾀｶﾅもＡＢＣも漢字も、同じ画面に並んで表示される。2026年12月7日、東京にて。";

std::vector<uint8_t> RealText(CharCode code)
{
    QString text;
    while (text.size() < static_cast<qsizetype>(kScreen))
        text += QString::fromUtf16(kProse);
    QByteArray bytes;
    switch (code) {
    case CharCode::Jis: bytes = NarrowToCodePage(kCodePageJis, text); break;  // with its escapes
    case CharCode::Ascii: bytes = NarrowToCodePage(kCodePageShiftJis, text); break;
    default: bytes = EncodeText(text, code); break;
    }
    std::vector<uint8_t> out(bytes.begin(), bytes.end());
    out.resize(kScreen + 16);
    return out;
}

std::vector<uint8_t> RandomBytes()
{
    std::mt19937 rng(12345);
    std::vector<uint8_t> out(kScreen + 16);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Arguments: the code's value, and 0 for random bytes or 1 for real text.
void BM_DecodeScreen(benchmark::State& state)
{
    const auto code = static_cast<CharCode>(state.range(0));
    const std::vector<uint8_t> bytes = state.range(1) ? RealText(code) : RandomBytes();
    std::vector<DisplayCell> cells;
    // The first call fills the 932 tables; a paint after start-up finds them ready.
    DecodeState warm;
    DecodeForDisplay(bytes.data(), bytes.size(), 0, bytes.size(), code, warm, cells);
    for (auto _ : state) {
        DecodeState decode;
        size_t drawn = 0;
        for (size_t row = 0; row < kRows; ++row) {
            DecodeForDisplay(bytes.data() + row * 16, bytes.size() - row * 16, row * 16, bytes.size(), code, decode,
                             cells);
            drawn += cells.size();
        }
        benchmark::DoNotOptimize(drawn);
    }
    state.SetLabel(CharCodeName(code).toStdString() + (state.range(1) ? " text" : " random"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kScreen));
}

} // namespace

BENCHMARK(BM_DecodeScreen)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1}})->Unit(benchmark::kMicrosecond);
