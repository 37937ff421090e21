// Benchmarks of the structure editor: parse a 10,000-line ".def" file; lay out and format a
// structure of 10,000 rows; expand an array of a million elements and read rows from its end.
// The generated definition file is left in the temporary folder (structbench.def) so that a
// command-line tool can read the same text for comparison.
#include "structs/StructSession.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

struct MemoryBytes final : StructBytes
{
    QByteArray data;
    void Read(uint64_t address, uint8_t* dst, size_t n) override
    {
        std::memset(dst, 0, n);
        if (address < uint64_t(data.size()))
            std::memcpy(dst, data.constData() + address, std::min<uint64_t>(n, data.size() - address));
    }
    bool Write(uint64_t, const uint8_t*, size_t) override { return false; }
};

// 10,000 lines: 40 small structures, then one structure with every kind, varsize lines and
// nested fields, filling the rest.
QByteArray Definitions()
{
    QByteArray t;
    int lines = 0;
    for (int s = 0; s < 40; ++s) {
        t += "// structure " + QByteArray::number(s) + "\nstruct S" + QByteArray::number(s) + "\n{\n";
        t += "\tdword a;\t// first\n\tWORD b;\n\tchar name[8];\n}\n";
        lines += 8;
    }
    t += "struct BIG\n{\n";
    lines += 3; // and the closing line
    const char* kinds[] = {"byte", "WORD", "dword", "FLOAT", "double", "short", "LONG", "char"};
    for (int i = 0; lines < 10000; ++i, ++lines) {
        if (i % 50 == 0)
            t += "\tvarsize 1;\n";
        else if (i % 50 == 1)
            t += "\tbyte arr" + QByteArray::number(i) + "[varsize];\n";
        else if (i % 10 == 0)
            t += "\tS" + QByteArray::number(i % 40) + " nested" + QByteArray::number(i) + ";\n";
        else
            t += QByteArray("\t") + kinds[i % 8] + " f" + QByteArray::number(i) + "; /* note */\n";
    }
    t += "}\n";
    return t;
}

const QByteArray& Text()
{
    static const QByteArray text = [] {
        QByteArray t = Definitions();
        QFile f(QDir::tempPath() + "/structbench.def");
        if (f.open(QIODevice::WriteOnly))
            f.write(t);
        return t;
    }();
    return text;
}

MemoryBytes& Data()
{
    static MemoryBytes bytes = [] {
        MemoryBytes b;
        b.data.resize(1 << 20);
        for (int i = 0; i < b.data.size(); ++i)
            b.data[i] = char((i * 7) & 0x3F);
        return b;
    }();
    return bytes;
}

void BM_Parse10000Lines(benchmark::State& state)
{
    const QByteArray& text = Text();
    MemoryBytes& bytes = Data();
    for (auto _ : state) {
        CStructDefs defs;
        defs.Parse(text, [&](uint64_t o, uint32_t n, bool big) { return bytes.ReadValue(o, n, big); });
        benchmark::DoNotOptimize(defs.Defs().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.counters["lines"] = double(text.count('\n'));
}
BENCHMARK(BM_Parse10000Lines)->Unit(benchmark::kMillisecond);

void BM_ShowAndFormat10000Rows(benchmark::State& state)
{
    MemoryBytes& bytes = Data();
    CStructDefs defs;
    defs.Parse(Text(), [&](uint64_t o, uint32_t n, bool big) { return bytes.ReadValue(o, n, big); });
    CStructTree tree(defs);
    const int big = int(defs.Defs().size()) - 1;
    int64_t rows = 0;
    for (auto _ : state) {
        defs.Reevaluate([&](uint64_t o, uint32_t n, bool b) { return bytes.ReadValue(o, n, b); });
        tree.Show(big);
        rows = tree.RowCount();
        for (int64_t i = 0; i < rows; ++i)
            benchmark::DoNotOptimize(CStructValues::RowLine(tree, tree.Row(i), bytes, 0, bytes.data.size()));
    }
    state.counters["rows"] = double(rows);
    state.SetItemsProcessed(int64_t(state.iterations()) * rows);
}
BENCHMARK(BM_ShowAndFormat10000Rows)->Unit(benchmark::kMillisecond);

void BM_ExpandMillionAndReadTail(benchmark::State& state)
{
    MemoryBytes& bytes = Data();
    CStructDefs defs;
    defs.ParseText(QStringLiteral("struct P\n{\nword x;\nword y;\n}\nstruct A\n{\nP p[1000000];\n}\n"), nullptr);
    CStructTree tree(defs);
    for (auto _ : state) {
        tree.Show(1);
        tree.Expand(0);
        tree.Expand(500000); // one element in the middle
        // What a screen at the end of the list asks for: 40 rows, formatted.
        for (int64_t i = tree.RowCount() - 40; i < tree.RowCount(); ++i)
            benchmark::DoNotOptimize(CStructValues::RowLine(tree, tree.Row(i), bytes, 0, bytes.data.size()));
    }
}
BENCHMARK(BM_ExpandMillionAndReadTail)->Unit(benchmark::kMicrosecond);

} // namespace
