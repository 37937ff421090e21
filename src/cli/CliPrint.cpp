// Subcommand print: the printed pages of a file (or of a range, printed as a selection) into a
// PDF file, through the page layout and painter of 印刷.
#include "cli/CliCommands.h"

#include "base/SettingsStore.h"
#include "codes/CharCode.h"
#include "document/ByteSource.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "tools/PrintRenderer.h"
#include "tools/RangeOutput.h"
#include "view/ViewFont.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

int CmdPrint(const QStringList& argv, LineWriter& out)
{
    const QString kOut = QStringLiteral("-o");
    const QString kCode = QStringLiteral("--code");
    const QString kStart = QStringLiteral("--start");
    const QString kEnd = QStringLiteral("--end");
    const CliArgs args(argv, {kOut, kCode, kStart, kEnd}, {});
    args.ExpectPositional({QStringLiteral("FILE")});
    const QString target = args.Required(kOut);
    CheckWritable(target);
    const QString codeName = ParseCodeName(args.Value(kCode).value_or(QStringLiteral("Shift-JIS")));
    if (args.Has(kStart) != args.Has(kEnd))
        FailInput(QStringLiteral("--start と --end は組にして指定してください。"));
    const QString path = args.Positional()[0];
    CheckExists(path);
    FileByteSource source(path);
    if (!source.IsOpen())
        FailAt(1, path, source.ErrorText());

    PrintJob job;
    job.source = &source;
    job.fileSize = source.Size();
    job.range = {0, source.Size(), false};
    if (args.Has(kStart)) {
        const uint64_t start = ParseAddress(*args.Value(kStart), kStart);
        const uint64_t end = ParseAddress(*args.Value(kEnd), kEnd);
        if (start > end)
            FailInput(QStringLiteral("開始アドレスが不正な値です。"));
        if (end >= source.Size())
            FailInput(QStringLiteral("終了アドレスがファイルサイズを超えています。"));
        job.range = {start, end + 1, true};
    }
    job.path = AbsolutePath(path);
    job.code = CharCodeFromName(codeName);
    // The colours and the font of the file's settings group, as its window would print them.
    CQuorvaneDoc settings;
    settings.ApplyGroupSettings(job.path);
    job.colors = settings.Colors();
    CSettingsStore& store = CSettingsStore::Current();
    const QString group = store.FindSettingsGroup(job.path);
    bool requested = false;
    job.font = MakeViewFont(store.GetGroupFontName(group), store.GetGroupSetting(SettingId::FontSize, group), requested);

    // The document is made in memory; the PDF file is replaced only by the complete one.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Quorvane - ") + PathForDisplay(FileNameOf(path)));
        writer.setCreator(QStringLiteral("Quorvane"));
        QString error;
        pages = PaintPrintJob(writer, job, &error);
        if (pages == 0)
            FailAt(1, path, error);
    }
    QString error;
    if (!WriteFileSafely(target, buffer.data(), &error))
        FailAt(1, target, error);
    out.Line(QStringLiteral("%1ページ").arg(pages));
    return 0;
}
