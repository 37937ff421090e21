// Subcommand dump: the rows of a file as the hex view shows them, as text.
#include "cli/CliCommands.h"

#include "codes/CharCode.h"
#include "codes/DisplayDecoder.h"
#include "document/ByteSource.h"
#include "search/BlockReader.h"
#include "search/HexFormat.h"

namespace {

// Terminal columns of one code point: East Asian wide and full-width forms take two.
int ColumnsOf(char32_t c)
{
    if (c < 0x1100)
        return 1;
    if (c <= 0x115F || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x20000 && c <= 0x3FFFD))
        return 2;
    return 1;
}

int ColumnsOf(const QString& text)
{
    int w = 0;
    for (char32_t c : text.toUcs4())
        w += ColumnsOf(c);
    return w;
}

} // namespace

int CmdDump(const QStringList& argv, LineWriter& out)
{
    const QString kCode = QStringLiteral("--code");
    const QString kStart = QStringLiteral("--start");
    const QString kLength = QStringLiteral("--length");
    const CliArgs args(argv, {kCode, kStart, kLength}, {});
    args.ExpectPositional({QStringLiteral("FILE")});
    const QString codeName = ParseCodeName(args.Value(kCode).value_or(QStringLiteral("Shift-JIS")));
    CharCode code = CharCode::ShiftJis;
    for (int v = 0; v < kCharCodeCount; ++v)
        if (CharCodeName(CharCodeFromValue(v)) == codeName)
            code = CharCodeFromValue(v);
    const uint64_t start = ParseHexNumber(args.Value(kStart).value_or(QStringLiteral("0")), kStart);
    const QString path = args.Positional()[0];
    CheckExists(path);
    FileByteSource source(path);
    if (!source.IsOpen())
        FailAt(1, path, source.ErrorText());
    const uint64_t size = source.Size();
    uint64_t end = size; // exclusive end of the bytes asked for
    if (auto len = args.Value(kLength)) {
        const uint64_t n = static_cast<uint64_t>(ParseCount(*len, kLength)); // a byte count, decimal
        end = std::min(size, n > size - std::min(start, size) ? size : start + n);
    }
    if (start > size)
        FailInput(QStringLiteral("--start がファイルの末尾より後ろです。"));

    // The address column is as wide as the address of the last row ("%07X0" of size / 16).
    const int addrWidth = static_cast<int>(QStringLiteral("%1").arg(size / 16, 7, 16, QLatin1Char('0')).size()) + 1;
    const uint64_t firstRow = start / 16;
    // The row of the end-of-file cell is shown when the range reaches the end of the file.
    const uint64_t lastRow = end >= size ? size / 16 : (end == start ? start / 16 : (end - 1) / 16);
    BlockReader reader(source);
    DecodeState state;
    std::vector<DisplayCell> cells;
    for (uint64_t row = firstRow; row <= lastRow; ++row) {
        const uint64_t rowStart = row * 16;
        QString line = QStringLiteral("%1").arg(row, 7, 16, QLatin1Char('0')).toUpper() + QLatin1Char('0');
        line = line.leftJustified(addrWidth) + QLatin1Char(' ');
        size_t available = 0;
        const uint8_t* bytes = reader.Get(rowStart, 16 + 8, &available); // look-ahead for characters
        if (reader.Failed())
            FailAt(1, path, reader.ErrorText());
        const size_t inRow = static_cast<size_t>(std::min<uint64_t>(16, size - std::min(size, rowStart)));
        QString hex;
        for (size_t j = 0; j < inRow; ++j) {
            hexfmt::AppendBytes(hex, bytes + j, 1);
            hex += QLatin1Char(' ');
        }
        if (inRow < 16)
            hex += QStringLiteral("EOF");
        line += hex.leftJustified(48);
        line += QLatin1Char(' ');
        if (inRow > 0) {
            DecodeForDisplay(bytes, available, rowStart, size, code, state, cells);
            for (const DisplayCell& cell : cells) {
                if (cell.kind == DisplayCell::Kind::Covered)
                    continue; // drawn with its lead
                line += cell.text;
                for (int w = ColumnsOf(cell.text); w < cell.cells; ++w)
                    line += QLatin1Char(' ');
            }
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out.Line(line);
    }
    return 0;
}
