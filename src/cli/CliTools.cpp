// Subcommands bookmarks, fixed, concat and extract: the batch tools of the hex view for scripts.
#include "cli/CliCommands.h"

#include "codes/CharCode.h"
#include "document/ByteSource.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "tools/Bookmarks.h"
#include "tools/Concatenation.h"
#include "tools/FixedInput.h"
#include "tools/RangeOutput.h"

namespace {

const QString kOut = QStringLiteral("-o");

// The in-memory limit of a document; larger files are not edited by these subcommands.
constexpr qint64 kMemoryLimit = 0x80000000LL;

// Takes every "--at ADDR" (or "--at=ADDR") out of `args`, in order.
QStringList TakeRepeated(QStringList& args, const QString& option)
{
    QStringList values;
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] == option) {
            if (i + 1 >= args.size())
                FailInput(QStringLiteral("%1 には値が必要です。").arg(option));
            values << args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(option + QLatin1Char('='))) {
            values << args[i].mid(option.size() + 1);
            args.remove(i);
        } else {
            ++i;
        }
    }
    return values;
}

// Opens FILE as a document held in memory, as the editor would for these tools.
void OpenDocument(CQuorvaneDoc& doc, const QString& path, const CliPrompter& prompter)
{
    CheckExists(path);
    if (StatPath(path).size >= kMemoryLimit)
        FailAt(2, path, QStringLiteral("2 GiB 以上のファイルはこのサブコマンドでは編集できません。"));
    OpenDocumentOrFail(doc, path, false, prompter);
}

// Writes the document to OUT, or over FILE with the ".bak" the default group asks for.
void SaveDocument(CQuorvaneDoc& doc, const QString& target, const CliPrompter& prompter)
{
    if (prompter.ErrorShown())
        FailIo(QStringLiteral("処理を中止しました。ファイルは変更していません。"));
    if (!doc.DoSave(target))
        FailAt(1, target, QStringLiteral("保存できませんでした。"));
}

} // namespace

int CmdBookmarks(const QStringList& argv, LineWriter& out)
{
    const CliArgs args(argv, {}, {});
    args.ExpectPositional({QStringLiteral("LIST")});
    const QString path = args.Positional()[0];
    CheckExists(path);
    std::vector<BOOKMARKLIST> list;
    QString error;
    if (!ReadBookmarkList(path, list, &error))
        FailAt(1, path, error);
    out.Lines(BookmarkListLines(list));
    return 0;
}

int CmdFixed(const QStringList& argvIn, LineWriter&, CliPrompter& prompter)
{
    const QString kHex = QStringLiteral("--hex");
    const QString kString = QStringLiteral("--string");
    const QString kCode = QStringLiteral("--code");
    QStringList argv = argvIn;
    const QStringList at = TakeRepeated(argv, QStringLiteral("--at"));
    const CliArgs args(argv, {kHex, kString, kCode, kOut}, {QStringLiteral("--insert")});
    args.ExpectPositional({QStringLiteral("FILE")});
    if (args.Has(kHex) == args.Has(kString))
        FailInput(QStringLiteral("--hex か --string のどちらか一つを指定してください。"));
    QByteArray data;
    if (auto hex = args.Value(kHex)) {
        for (QChar c : *hex)
            if (!c.isSpace() && !IsHexDigits(QString(c)))
                FailInput(QStringLiteral("--hex は16進数と空白で入力してください: %1").arg(*hex));
        data = FixedInputData(false, *hex, CharCode::ShiftJis);
    } else {
        const QString code = ParseCodeName(args.Required(kCode));
        CheckTextHeld(*args.Value(kString), code, kString);
        data = FixedInputData(true, *args.Value(kString), CharCodeFromName(code));
    }
    if (data.isEmpty())
        FailInput(QStringLiteral("書き込むデータがありません。"));
    std::vector<uint64_t> addresses;
    for (const QString& a : at) {
        const uint64_t address = ParseAddress(a, QStringLiteral("--at"));
        // The gap up to an address past the end is filled with zeros, in memory: an address
        // whose data would end beyond what a document can hold is no place to write.
        if (address >= uint64_t(kMemoryLimit) || uint64_t(data.size()) >= uint64_t(kMemoryLimit) - address)
            FailInput(QStringLiteral("--at のアドレスが大きすぎます (データの終わりが %1 を超えます): %2")
                          .arg(QString::number(kMemoryLimit, 16).toUpper(), a));
        addresses.push_back(address);
    }
    if (addresses.empty())
        addresses.push_back(0);

    const QString path = args.Positional()[0];
    const QString target = args.Value(kOut).value_or(path);
    CheckWritable(target);
    CQuorvaneDoc doc;
    OpenDocument(doc, path, prompter);
    const FixedInputOutcome outcome = ApplyFixedInput(doc, addresses, data, args.Has(QStringLiteral("--insert")));
    if (outcome.stopped)
        FailIo(QStringLiteral("定型入力を完了できませんでした。ファイルは変更していません。"));
    SaveDocument(doc, target, prompter);
    return 0;
}

int CmdConcat(const QStringList& argv, LineWriter&, CliPrompter& prompter)
{
    const QString kAt = QStringLiteral("--at");
    const CliArgs args(argv, {kAt, kOut}, {QStringLiteral("--overwrite")});
    args.ExpectPositional({QStringLiteral("FILE"), QStringLiteral("OTHER")});
    const QString at = args.Value(kAt).value_or(QStringLiteral("end"));
    ConcatPosition position = ConcatPosition::Cursor;
    uint64_t cursor = 0;
    if (at == QLatin1String("start"))
        position = ConcatPosition::Start;
    else if (at == QLatin1String("end"))
        position = ConcatPosition::End;
    else
        cursor = ParseAddress(at, kAt);
    const QString path = args.Positional()[0];
    const QString other = args.Positional()[1];
    CheckExists(other);
    const QString target = args.Value(kOut).value_or(path);
    CheckWritable(target);
    CQuorvaneDoc doc;
    OpenDocument(doc, path, prompter);
    if (position == ConcatPosition::Cursor && cursor > doc.GetFileSize())
        FailInput(QStringLiteral("--at がファイルの末尾 (%1) を超えています。").arg(QString::number(doc.GetFileSize(), 16).toUpper()));
    const ConcatAction action = args.Has(QStringLiteral("--overwrite")) ? ConcatAction::Overwrite : ConcatAction::Insert;
    const bool changed = ConcatenateFile(doc, other, position, action, cursor);
    if (!changed && prompter.ErrorShown())
        FailIo(QStringLiteral("連結できませんでした。ファイルは変更していません。"));
    SaveDocument(doc, target, prompter);
    return 0;
}

int CmdExtract(const QStringList& argv, LineWriter&)
{
    const QString kStart = QStringLiteral("--start");
    const QString kEnd = QStringLiteral("--end");
    const CliArgs args(argv, {kStart, kEnd, kOut}, {});
    args.ExpectPositional({QStringLiteral("FILE")});
    // The dialog takes an empty address as 0; on the command line a missing one is a mistake
    // (it would write the one byte at 0).
    RangeOutputInput input;
    input.startText = args.Required(kStart);
    input.endText = args.Required(kEnd);
    input.destination = args.Value(kOut).value_or(QString()); // none: the dialog's message
    if (!input.destination.isEmpty())
        CheckWritable(input.destination);
    const QString path = args.Positional()[0];
    CheckExists(path);
    FileByteSource source(path);
    if (!source.IsOpen())
        FailAt(1, path, source.ErrorText());
    input.fileSize = source.Size();
    RangeOutputRequest request;
    const QString message = ValidateRangeOutput(input, request);
    if (!message.isEmpty())
        FailInput(message);
    QString error;
    if (!WriteRangeToFile(source, request, {}, &error))
        FailIo(error);
    return 0;
}
