// Subcommand info: the info pane's eight rows for a cursor address of a file.
#include "cli/CliCommands.h"

#include "document/ByteSource.h"
#include "view/InfoRows.h"

int CmdInfo(const QStringList& argv, LineWriter& out)
{
    const QString kAt = QStringLiteral("--at");
    const QString kBig = QStringLiteral("--big-endian");
    const QString kMinus = QStringLiteral("--minus");
    const QString kSelection = QStringLiteral("--selection-length");
    const CliArgs args(argv, {kAt, kSelection}, {kBig, kMinus});
    args.ExpectPositional({QStringLiteral("FILE")});
    const uint64_t at = ParseAddress(args.Required(kAt), kAt);
    uint64_t selection = 0;
    if (auto n = args.Value(kSelection))
        selection = static_cast<uint64_t>(ParseCount(*n, kSelection));
    const QString path = args.Positional()[0];
    CheckExists(path);
    FileByteSource source(path);
    if (!source.IsOpen())
        FailAt(1, path, source.ErrorText());
    const uint64_t size = source.Size();
    // An address past the end stands on the end-of-file cell, as the view's cursor would.
    const uint64_t cursor = std::min(at, size);
    const int count = static_cast<int>(std::min<uint64_t>(4, size - cursor));
    std::array<uint8_t, 4> bytes{};
    if (count > 0 && source.Read(cursor, bytes.data(), static_cast<size_t>(count)) != count)
        FailAt(1, path, source.ErrorText());
    const bool big = args.Has(kBig);
    const InfoRows rows = InfoRows::Compute(InfoRows::MakeInput(bytes, count, big, size, cursor, selection), !args.Has(kMinus));
    for (int row = 0; row < InfoRows::RowCount; ++row)
        out.Line(InfoRows::Label(row) + QLatin1Char('\t') + rows.text[row]);
    return 0;
}
